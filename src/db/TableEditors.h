#pragma once

#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "db/ServiceDatabase.h"
#include "db/ServiceRows.h"
#include "ui/EditorBox.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// The four grids of the database page that edit the service database in place: code formats
// (MSFlexGrid6), endings (MSFlexGrid7), users (MSFlexGrid8) and setup parameters (MSFlexGrid9).
// Each grid renders the rows it read, and every change goes to the database at once, one field
// or one row; a row, and its grid, change only after the database took the change, and a grid
// shows the stored value again when it did not.
class TableEditors : public QObject {
  Q_OBJECT

 public:
  TableEditors(ServiceDatabase& database, QWidget& page);
  ~TableEditors() override;

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
  // The user in the users grid's current row; nothing without one.
  const UserRow* CurrentUser() const;

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
  // The rows a grid shows, of whichever table: grid row r shows row r - 1.
  class GridRows {
   public:
    virtual ~GridRows() = default;
    virtual void Read(ServiceDatabase& database) = 0;
    virtual int Count() const = 0;
    virtual QString Key(int index) const = 0;
    virtual QStringList Cells(int index) const = 0;
    virtual void Take(int index, RowField field, const QString& text) = 0;
    virtual void Append(const QString& key) = 0;
    virtual void Erase(int index) = 0;
  };
  template <typename Row>
  class RowsOf;

  // What one grid edits, how its menu is named, and what each menu item does there; an item
  // without an action is not offered on that grid.
  struct GridBehaviour {
    FlexGrid* grid;
    ServiceTable table;
    GridRows* rows;
    // The field each grid column shows; the key column edits none.
    std::array<std::optional<RowField>, 4> fields;
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

  void FillGrid(const GridBehaviour& behaviour);
  void ShowRow(const GridBehaviour& behaviour, int row);
  void ShowDescription();
  bool AddRow(FlexGrid& grid);
  void EditNumber(FlexGrid& grid);
  void EditText(FlexGrid& grid, int column);
  void RemoveRow(FlexGrid& grid);
  // The key of the grid's current row as the database compares it; nothing, told, when the
  // editors cannot hold it.
  std::optional<QString> CurrentKey(const GridBehaviour& behaviour) const;
  bool IsProtectedUser() const;
  bool ColumnInView(const FlexGrid& grid, int column) const;
  void OnMouseDown(FlexGrid* grid, Qt::MouseButton button);

  ServiceDatabase& database_;
  QWidget& page_;
  FlexGrid* menu_grid_ = nullptr;
  std::unique_ptr<RowsOf<CodeFormatRow>> code_formats_;
  std::unique_ptr<RowsOf<EndingRow>> endings_;
  std::unique_ptr<RowsOf<UserRow>> users_;
  std::unique_ptr<RowsOf<SetupRow>> setup_;
  std::array<GridBehaviour, 4> behaviours_;
};

}  // namespace kx12r
