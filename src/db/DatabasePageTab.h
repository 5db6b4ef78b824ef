#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "db/ServiceDatabase.h"
#include "db/TableEditors.h"
#include "ui/EditorBox.h"

namespace kx12r {

// Tab 2, "Специальные настройки": the service database's editors behind a user's password.
// Until a password is entered the page shows the password view: a sentence, the password
// field (open to administrators only), a picture and a link to a web page.
class DatabasePageTab : public QWidget {
  Q_OBJECT

 public:
  // `read_only_reason` says why an administrator gets the database read-only (empty when
  // they may change it); `open_url` opens the link's address (the desktop's browser unless
  // given).
  DatabasePageTab(ServiceDatabase& database, bool user_is_admin,
                  QString read_only_reason = QString(),
                  std::function<void(const QUrl&)> open_url = nullptr, QWidget* parent = nullptr);

  TableEditors* Editors;
  EditorBox* Text4;
  QLabel* Label8;    // the sentence of the password view
  QLineEdit* Text7;  // the password
  QLabel* Picture1;
  QLabel* Label9;    // the link
  QLineEdit* Text5;  // a new password
  QLineEdit* Text6;  // the new password again
  QPushButton* Command2;

  // Set by a user's password for the rest of the run.
  bool DatabasePageUnlocked() const { return database_page_unlocked_; }

  // The page when its tab is opened: the editors once unlocked, else the password view;
  // `tab_caption` is quoted in the sentence.
  void ShowDatabasePage(const QString& tab_caption);
  void CheckPagePassword();
  // Whether a new password's length may be stored; tells the user why not.
  static bool PasswordLengthOk(const QString& password);
  void StorePassword(const QString& password);
  void OpenPageLink();

 signals:
  // The page has just been unlocked.
  void Unlocked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillDatabaseTab();
  void SetFieldActive(QLineEdit& field, bool active);
  void OnNewPasswordKey(int key);
  void OnConfirmationKey(int key);
  void HighlightLink(bool under_pointer);

  ServiceDatabase& database_;
  const bool user_is_admin_;
  const QString read_only_reason_;
  std::function<void(const QUrl&)> open_url_;
  bool database_page_unlocked_ = false;
};

}  // namespace kx12r
