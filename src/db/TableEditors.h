#pragma once

#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "db/ServiceDatabase.h"
#include "ui/EditorBox.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// A row key as the editors hold it: a key outside the 16-bit range cannot be held
// ("Переполнение"), a key that is no number is a type mismatch; both are told as a failed
// operation.
std::optional<std::int16_t> EditorKey(const QString& key);

// The four grids of the database page that edit the service database in place: code formats
// (MSFlexGrid6), endings (MSFlexGrid7), users (MSFlexGrid8) and setup parameters (MSFlexGrid9).
// Every change goes to the database at once, one cell or one row; a grid changes only after
// the database took the change, or shows the stored value again when it did not.
class TableEditors : public QObject {
  Q_OBJECT

 public:
  TableEditors(ServiceDatabase& database, QWidget& page);

  FlexGrid* MSFlexGrid6;
  FlexGrid* MSFlexGrid7;
  FlexGrid* MSFlexGrid8;
  FlexGrid* MSFlexGrid9;
  QLabel* Label3;    // the description of the current code format
  EditorBox* Text4;  // the in-place editor of cells and of Label3
  QMenu* Transaction;
  QAction* add;
  QMenu* Edit;
  QAction* EditCode;
  QAction* EditName;
  QAction* EditDescription;
  QAction* remove;

  // Rebuilds the four grids from the database.
  void FillDatabaseTab();
  // Shows, hides, enables and names the menu's items for the grid the menu acts on.
  void ConfigureTableMenu(FlexGrid* grid);
  // The grid the menu acts on: the one last right-clicked.
  FlexGrid* MenuGrid() const { return menu_grid_; }

  void AddCodeVariant();
  void AddEnding();
  void AddUser();
  void EditCodeVariantId();
  void EditEndingCode();
  void EditCodeVariantName();
  void EditEndingKeyName();
  void EditUserName();
  void EditSetupCell(int column);
  void EditCodeVariantDescription();
  void RemoveCodeVariant();
  void RemoveEnding();
  void RemoveUser();

 private:
  // What one grid edits, how its menu is named, and what each menu item does there; an item
  // without an action is not offered on that grid.
  struct GridBehaviour {
    FlexGrid* grid;
    int table;  // which table of the database the grid edits
    QString code_caption;
    QString name_caption;
    std::function<void()> add, edit_code, edit_name, edit_description, remove;
    // Users: the administrator's row is neither renamed nor removed.
    bool protects_administrator = false;
    // Setup parameters: an item edits a column, and is offered while that column is in view.
    bool items_need_view = false;
  };
  // The behaviour of one of the four grids; nothing for any other.
  const GridBehaviour* BehaviourOf(const FlexGrid* grid) const;
  void RunMenuItem(std::function<void()> GridBehaviour::*item);

  void FillGrid(FlexGrid& grid);
  void ShowDescription();
  bool AddRow(FlexGrid& grid);
  void EditNumber(FlexGrid& grid);
  void EditText(FlexGrid& grid, int column);
  void RemoveRow(FlexGrid& grid);
  bool IsProtectedUser() const;
  bool ColumnInView(const FlexGrid& grid, int column) const;
  void OnMouseDown(FlexGrid* grid, Qt::MouseButton button);

  ServiceDatabase& database_;
  QWidget& page_;
  FlexGrid* menu_grid_ = nullptr;
  std::array<GridBehaviour, 4> behaviours_;
};

}  // namespace kx12r
