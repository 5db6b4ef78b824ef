#pragma once

#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QWidget>

#include "db/ServiceDatabase.h"
#include "ui/EditorBox.h"
#include "ui/FlexGrid.h"

namespace kx12r {

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
  // 0 for the code formats, 1 endings, 2 users, 3 setup parameters.
  int TableIndex(const FlexGrid* grid) const;
  void FillGrid(FlexGrid& grid);
  void ShowDescription();
  bool AddRow(FlexGrid& grid);
  void EditNumber(FlexGrid& grid);
  void EditText(FlexGrid& grid, int column);
  void RemoveRow(FlexGrid& grid);
  bool IsProtectedUser() const;
  bool ColumnInView(const FlexGrid& grid, int column) const;
  void OnMouseDown(FlexGrid* grid, Qt::MouseButton button);
  void OnAdd();
  void OnEditCode();
  void OnEditName();
  void OnEditDescription();
  void OnRemove();

  ServiceDatabase& database_;
  QWidget& page_;
  FlexGrid* menu_grid_ = nullptr;
};

}  // namespace kx12r
