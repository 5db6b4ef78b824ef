// The status bar's panels.
#include "ui/StatusPanels.h"

#include <QHBoxLayout>

#include "ui/ImageList.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

constexpr int kBarHeight = 350;
constexpr int kPanelWidths[] = {3500, 3000};
constexpr int kIconSize = 16;

QString IconKey(StatusIcon icon) {
  switch (icon) {
    case StatusIcon::kStop:
      return QStringLiteral("stop");
    case StatusIcon::kEdit:
      return QStringLiteral("edit");
    default:
      return QString();
  }
}

}  // namespace

StatusPanels::StatusPanels(QStatusBar& bar) : bar_(bar) {
  bar_.setSizeGripEnabled(false);
  bar_.setFixedHeight(TwipsToPixels(kBarHeight));
  for (int i = 0; i < 2; ++i) {
    auto* frame = new QWidget(&bar_);
    // At least the given width; a longer text widens its panel instead of being cut.
    frame->setMinimumWidth(TwipsToPixels(kPanelWidths[i]));
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    panels_[i].icon = new QLabel(frame);
    panels_[i].icon->setFixedSize(kIconSize, kIconSize);
    panels_[i].icon->hide();
    panels_[i].text = new QLabel(frame);
    layout->addWidget(panels_[i].icon);
    layout->addWidget(panels_[i].text, 1);
    bar_.addWidget(frame);
  }
}

StatusPanels::Panel* StatusPanels::Find(int panel) {
  return panel == 1 || panel == 2 ? &panels_[panel - 1] : nullptr;
}

const StatusPanels::Panel* StatusPanels::Find(int panel) const {
  return panel == 1 || panel == 2 ? &panels_[panel - 1] : nullptr;
}

void StatusPanels::SetStatus(StatusIcon icon, const QString& text, int panel) {
  Panel* target = Find(panel);
  if (!target) return;
  if (target->kind != icon) {
    target->kind = icon;
    const QIcon picture = ImageListIcon(IconKey(icon));
    target->icon->setPixmap(picture.isNull() ? QPixmap() : picture.pixmap(kIconSize, kIconSize));
    target->icon->setVisible(!picture.isNull());
  }
  if (target->text->text() != text) target->text->setText(text);
}

QString StatusPanels::Text(int panel) const {
  const Panel* target = Find(panel);
  return target ? target->text->text() : QString();
}

StatusIcon StatusPanels::Icon(int panel) const {
  const Panel* target = Find(panel);
  return target ? target->kind : StatusIcon::kNone;
}

void ShowVariantKind(StatusPanels& status, bool changeable) {
  if (changeable) {
    status.SetStatus(StatusIcon::kEdit, QStringLiteral("изменяемый вариант"), 2);
  } else {
    status.SetStatus(StatusIcon::kNone, QStringLiteral("фиксированный вариант"), 2);
  }
}

}  // namespace kx12r
