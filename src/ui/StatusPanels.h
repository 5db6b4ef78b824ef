#pragma once

#include <QLabel>
#include <QStatusBar>
#include <QString>

namespace kx12r {

enum class StatusIcon { kNone = 0, kStop = 1, kEdit = 2 };

// The two panels of the status bar, each a text with an optional icon.
class StatusPanels {
 public:
  explicit StatusPanels(QStatusBar& bar);

  // Panel 1 or 2; the text changes only when it differs.
  void SetStatus(StatusIcon icon, const QString& text, int panel);
  QString Text(int panel) const;
  StatusIcon Icon(int panel) const;

 private:
  struct Panel {
    QLabel* icon = nullptr;
    QLabel* text = nullptr;
    StatusIcon kind = StatusIcon::kNone;
  };
  Panel* Find(int panel);
  const Panel* Find(int panel) const;

  QStatusBar& bar_;
  Panel panels_[2];
};

// Panel 2 on the screens of a reader: whether its active message variant is the changeable one.
void ShowVariantKind(StatusPanels& status, bool changeable);

}  // namespace kx12r
