#pragma once

#include <QWidget>

namespace kx12r {

// Tab 1, "Файлы настроек": saving a reader's settings to a file and applying files.
class SettingsFilesTab : public QWidget {
 public:
  using QWidget::QWidget;
};

}  // namespace kx12r
