#include "ReaderSettingsTab.h"

#include "FirmwareGate.h"
#include "NumericText.h"
#include "Twips.h"

namespace kx12r {
namespace {

// The grid shows the caption row and the eight variants without scrolling.
constexpr int kGridRowHeight = 240;
constexpr int kGridHeight = 9 * kGridRowHeight;
constexpr QRect kGridPlace = TabPageRect(120, 400, 5500, kGridHeight);
constexpr QRect kLabelPlace = TabPageRect(120, 400 + kGridHeight + 100, 5500, 1000);
constexpr int kFlagLeft = 5800;
constexpr int kFlagWidth = 4700;
constexpr int kFlagHeight = 345;

}  // namespace

ReaderSettingsTab::ReaderSettingsTab(ReaderLink& link, QWidget* parent)
    : QWidget(parent), link_(link) {
  MSFlexGrid2 = new FlexGrid(this);
  MSFlexGrid2->setGeometry(kGridPlace);
  Label1 = new QLabel(this);
  Label1->setGeometry(kLabelPlace);
  Label1->setWordWrap(true);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  CheckBox1 = new QCheckBox(QStringLiteral("Отключить Буззер"), this);
  CheckBox2 = new QCheckBox(QStringLiteral("Разрешить автономную работу"), this);
  CheckBox3 = new QCheckBox(QStringLiteral("Разрешить повтор посылки"), this);
  int top = 400;
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) {
    box->setGeometry(TabPageRect(kFlagLeft, top, kFlagWidth, kFlagHeight));
    // The boxes show the reader's flags; switching them is not offered yet.
    box->setEnabled(false);
    top += 355;
  }
}

void ReaderSettingsTab::ShowSelectedReader() {
  const bool configurable = FirmwareAtLeast170(link_);
  if (configurable) {
    Label1->setPalette(palette());
    Label1->clear();
    MSFlexGrid2->setEnabled(true);
  } else {
    FirmwareWarning(*Label1, link_);
    MSFlexGrid2->setEnabled(false);
  }
  ShowFlags();
}

void ReaderSettingsTab::ShowFlags() {
  const int columns[] = {kColBunBuzzer, kColStandAlone, kColRepeatResolution};
  QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3};
  for (int i = 0; i < 3; ++i) {
    boxes[i]->setChecked(LeadingNumber(link_.SelectedReaderField(columns[i])) != 0);
  }
}

}  // namespace kx12r
