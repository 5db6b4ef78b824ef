#pragma once

#include <QWidget>

#include "EditorBox.h"

namespace kx12r {

// Tab 2, "Специальные настройки": the service database's editors behind a user's password.
class DatabasePageTab : public QWidget {
 public:
  explicit DatabasePageTab(QWidget* parent = nullptr)
      : QWidget(parent), Text4(new EditorBox(this)) {
    Text4->hide();
  }

  // The in-place editor of the table editors' cells.
  EditorBox* Text4;

  // Set by a user's password for the rest of the run.
  bool DatabasePageUnlocked() const { return database_page_unlocked_; }

 private:
  bool database_page_unlocked_ = false;
};

}  // namespace kx12r
