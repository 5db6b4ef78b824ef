#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "BoxedDatabase.h"
#include "ReaderReports.h"
#include "ReaderWindow.h"
#include "ScriptedPresenter.h"
#include "WindowClicks.h"
#include "settings/ReaderSettingsTab.h"

namespace kx12r {

using Bytes = std::vector<std::uint8_t>;

// The settings tab on a window with its device list, over simulated readers and a fresh copy
// of the service database.
class SettingsTabFixture : public ::testing::Test, protected ReaderWindow {
 protected:
  SettingsTabFixture() : ReaderWindow({733, 487}) {
    QFile::copy(KX12R_BUILT_DATABASE, GetDatabasePath(folder_.path()));
    tabs_ = new QTabWidget(&window_);
    tabs_->setGeometry(8, 120, 713, 310);
    tab_ = new ReaderSettingsTab(*link_, db_);
    view_.on_settings_grid = [this](bool enabled) { tab_->MSFlexGrid2->setEnabled(enabled); };
    tabs_->addTab(tab_, "Настройки считывателя");
    tabs_->addTab(new QWidget, "Файлы настроек");
    tab_->BuildSettingsGrid();
    QObject::connect(link_.get(), &ReaderLink::ReaderSelected,
                     [this] { tab_->ShowReaderInSettingsGrid(); });
  }

  SimulatedReader& PlugReader(ReaderSettings settings, std::uint16_t version = 0x0184,
                              std::uint16_t product = 0x0002) {
    return hid_.Plug({.product_id = product, .version = version, .serial_number = "00417"},
                     settings);
  }

  // Lists the readers and selects the one in `row`, as the window does.
  void Start(int row = 1) {
    window_.show();
    link_->DiscoverReaders(true);
    table_->SetRow(row);
    link_->SelectReader();
    for (int handle = 1; handle < 64; ++handle) {
      if (auto* device = hid_.DeviceAt(handle)) device->ClearLog();
    }
  }

  // A click on the middle of a cell, taken by whatever lies on top of it there.
  static QWidget* Click(FlexGrid& grid, int row, int col, bool twice = false) {
    return ClickOver(grid, grid.CellGeometry(row, col).center(), twice);
  }
  void ClickSetting(int row, int col) { Click(*tab_->MSFlexGrid2, row, col); }
  void OpenEditor(int col) {
    ClickSetting(8, col);
    ClickOver(*tab_->CmdEdit, tab_->CmdEdit->rect().center());
  }
  // The pad cell of a printable character.
  void Press(char c) {
    const int index = c - 33;
    Click(*tab_->Editor->MSFlexGrid3, 1 + index / 16, index % 16);
  }
  QWidget* PressTool(int col) { return Click(*tab_->Editor->MSFlexGrid3, 0, col); }
  QString PadValue() const { return tab_->Editor->MSFlexGrid3->TextMatrix(0, 0); }
  // Chooses the list row whose name is `name` and saves it with Enter.
  void Choose(const QString& name) {
    FlexGrid& list = *tab_->Editor->MSFlexGrid3;
    for (int row = 0; row < list.Rows(); ++row) {
      if (list.TextMatrix(row, 1) != name) continue;
      list.SetTopRow(row);  // scrolled into view, as the user would
      Click(list, row, 1);
    }
    QTest::keyClick(&list, Qt::Key_Return);
  }
  // What is known of the selected reader.
  const ReaderValues& Known() const { return link_->SelectedReader().Values(); }
  QString Cell(int col) const { return tab_->MSFlexGrid2->TextMatrix(8, col); }

  static Bytes Report(char code, std::string_view text) { return ReaderReport(code, text, 65); }

  QTemporaryDir folder_;
  ScriptedPresenter presenter_;
  BoxedDatabase db_{GetDatabasePath(folder_.path()), false};
  QTabWidget* tabs_;
  ReaderSettingsTab* tab_;
};

}  // namespace kx12r
