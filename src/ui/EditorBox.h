#pragma once

#include <QLineEdit>
#include <QString>

namespace kx12r {

// The text box laid over a cell or label for in-place editing. Its tag reads "1" while an edit
// is running; its own key and focus handlers end the edit by setting another tag, leaving the
// box enabled to keep the text or disabling it to cancel. Esc and leaving the box cancel. Which
// key keeps the text, the tooltip says: "Ctrl+Enter" in double quotes for Ctrl+Enter, otherwise
// Enter.
class EditorBox : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

  const QString& Tag() const { return tag_; }
  void SetTag(const QString& tag) {
    if (tag_ == tag) return;
    tag_ = tag;
    emit TagChanged();
  }
  bool IsEditing() const { return tag_ == QStringLiteral("1"); }

  // Ends a running edit as cancelled.
  void CancelEdit() {
    setEnabled(false);
    SetTag(QStringLiteral("0"));
  }

 signals:
  void TagChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QString tag_;
};

}  // namespace kx12r
