// The service database page behind the password.
#include "db/DatabasePageTab.h"

#include <QDesktopServices>
#include <QKeyEvent>

#include "base/MessageBox.h"
#include "db/ServiceLookups.h"
#include "ui/ImageList.h"
#include "ui/LayoutFont.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

constexpr int kShortestPassword = 6;
constexpr int kLongestPassword = 50;
const QColor kLinkColour(0x00, 0x00, 0x80);     // navy
const QColor kLinkHotColour(0x00, 0x00, 0xFF);  // bright blue
constexpr int kButtonFontSize = 6;
constexpr QSize kPictureSize(680, 209);

}  // namespace

DatabasePageTab::DatabasePageTab(ServiceDatabase& database, bool user_is_admin,
                                 QString read_only_reason,
                                 std::function<void(const QUrl&)> open_url, QWidget* parent)
    : QWidget(parent),
      database_(database),
      user_is_admin_(user_is_admin),
      read_only_reason_(std::move(read_only_reason)),
      open_url_(open_url ? std::move(open_url)
                         : [](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  Picture1 = new QLabel(this);
  Picture1->setScaledContents(true);
  Picture1->hide();
  Label8 = new QLabel(this);
  Label8->setWordWrap(true);
  Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label8->hide();
  Text7 = new QLineEdit(this);
  Text7->setAccessibleName(QStringLiteral("Пароль"));
  Text7->setEchoMode(QLineEdit::Password);
  Text7->hide();
  Label9 = new QLabel(this);
  Label9->setCursor(Qt::PointingHandCursor);
  Label9->hide();
  Editors = new TableEditors(database_, *this);
  Text4 = Editors->Text4;
  Text5 = new QLineEdit(this);
  Text5->setAccessibleName(QStringLiteral("Новый пароль"));
  Text6 = new QLineEdit(this);
  Text6->setAccessibleName(QStringLiteral("Подтверждение"));
  Command2 = new QPushButton(QStringLiteral("..."), this);
  Command2->setAccessibleName(QStringLiteral("Изменить пароль"));
  Command2->setToolTip(QStringLiteral("Изменить пароль"));
  QFont small = Command2->font();
  small.setPointSize(kButtonFontSize);
  Command2->setFont(small);
  for (QLineEdit* field : {Text5, Text6}) {
    field->setEchoMode(QLineEdit::Password);
    SetFieldActive(*field, false);
    field->installEventFilter(this);
    field->hide();
  }
  Command2->hide();
  Text7->installEventFilter(this);
  Label9->installEventFilter(this);
  for (QWidget* plain : std::initializer_list<QWidget*>{this, Picture1, Label8}) {
    plain->setMouseTracking(true);
    plain->installEventFilter(this);
  }
  connect(Command2, &QPushButton::clicked, this, [this] {
    SetFieldActive(*Text5, true);
    Text5->setFocus();
  });
}

void DatabasePageTab::ShowDatabasePage(const QString& tab_caption) {
  if (database_page_unlocked_) return FillDatabaseTab();
  Label8->setText(QStringLiteral("Посещение странички ") + Quoted(tab_caption) +
                  QStringLiteral(" требует регистрации. Для продолжения введите пароль."));
  Label8->setGeometry(TabPageRect(200, 400, 5000, 1000));
  Label8->setFont(LayoutFont(font()));
  Label8->show();
  Picture1->setGeometry(TabPageRect(200, 1300, 10200, 3140));
  // Drawn when first shown: the page is behind its tab, and most runs never open it.
  if (Picture1->pixmap().isNull()) {
    Picture1->setPixmap(ImageListIcon(QStringLiteral("banner")).pixmap(kPictureSize));
  }
  Picture1->show();
  Picture1->lower();
  Text7->clear();
  Text7->setGeometry(TabPageRect(200, 900, 2500, 300));
  Text7->setEnabled(user_is_admin_);
  Text7->show();
  if (user_is_admin_) Text7->setFocus();
  Label9->setText(GetSetupCaption(database_, QString::fromLatin1(kCardsAdvertisingUrl)));
  QFont link = LayoutFont(font());
  link.setUnderline(true);
  Label9->setFont(link);
  Label9->adjustSize();
  Label9->setGeometry(TabPageRect(4500, 900, PixelsToTwips(Label9->width()), 300));
  HighlightLink(false);
  Label9->show();
}

void DatabasePageTab::FillDatabaseTab() {
  Editors->FillDatabaseTab();
  const QRect users = Editors->MSFlexGrid8->geometry();
  const QRect field = TabPageRect(0, 2050, 3050, 300);
  Text5->setGeometry(users.left(), field.top(), field.width(), field.height());
  Text6->setGeometry(users.left(), TabPageRect(0, 2500, 0, 0).top(), field.width(), field.height());
  Command2->setGeometry(users.right() + 1 - field.height(), field.top(), field.height(),
                        field.height());
  for (QLineEdit* box : {Text5, Text6}) {
    box->clear();
    box->show();
  }
  Command2->show();
}

void DatabasePageTab::CheckPagePassword() {
  const QString password = Text7->text().trimmed();
  const int failures = database_.Failures();
  // A user without a password cannot unlock: an empty entry would match every such user.
  const bool known = !password.isEmpty() && PasswordKnown(database_, password);
  // A lookup that failed was told as the failure it is: the password is not called wrong, and
  // stays for another try.
  if (database_.Failures() != failures) return;
  if (!known) {
    ShowMessage(QStringLiteral("Пароль неверный."), kInformationStyle, kMessageTitle);
    Text7->clear();
    setFocus();
    return;
  }
  database_page_unlocked_ = true;
  FillDatabaseTab();
  for (QWidget* view : std::initializer_list<QWidget*>{Label8, Label9, Text7, Picture1}) {
    view->hide();
  }
  emit Unlocked();
  if (!read_only_reason_.isEmpty()) {
    ShowMessage(read_only_reason_, kInformationStyle, kMessageTitle);
  }
}

bool DatabasePageTab::PasswordLengthOk(const QString& password) {
  if (password.size() < kShortestPassword) {
    ShowMessage(QStringLiteral("Пароль не может быть короче шести символов."), kInformationStyle,
                kMessageTitle);
    return false;
  }
  if (password.size() > kLongestPassword) {
    ShowMessage(QStringLiteral("Пароль не может быть длиннее пятидесяти символов."),
                kInformationStyle, kMessageTitle);
    return false;
  }
  return true;
}

void DatabasePageTab::StorePassword(const QString& password) {
  const UserRow* user = Editors->CurrentUser();
  if (!user) return;
  const std::optional<std::int16_t> key = EditorKey(user->key);
  if (!key) return;
  StoreField(database_, RowField::kUserPassword, QString::number(*key), password);
}

void DatabasePageTab::SetFieldActive(QLineEdit& field, bool active) {
  QPalette colours = field.palette();
  colours.setColor(QPalette::Base, palette().color(active ? QPalette::Base : QPalette::Button));
  field.setPalette(colours);
  field.setEnabled(active);
}

void DatabasePageTab::OnNewPasswordKey(int key) {
  if (key == Qt::Key_Escape) {
    Text5->clear();
    SetFieldActive(*Text5, false);
    return;
  }
  Text5->setText(Text5->text().trimmed());
  if (!PasswordLengthOk(Text5->text())) {
    Text5->clear();
    Text5->setFocus();
    return;
  }
  SetFieldActive(*Text6, true);
  Text6->setFocus();
  SetFieldActive(*Text5, false);
}

void DatabasePageTab::OnConfirmationKey(int key) {
  if (key == Qt::Key_Return) {
    const QString confirmation = Text6->text().trimmed();
    if (!PasswordLengthOk(confirmation)) {
      Text6->clear();
      return;
    }
    if (confirmation != Text5->text().trimmed()) {
      ShowMessage(Quoted(QStringLiteral("Пароль")) + QStringLiteral(" и ") +
                      Quoted(QStringLiteral("Подтверждение")) +
                      QStringLiteral(" различны. Повторите ввод."),
                  kInformationStyle, kMessageTitle);
      Text6->clear();
      return;
    }
    StorePassword(confirmation);
  }
  Text5->clear();
  Text6->clear();
  SetFieldActive(*Text6, false);
}

void DatabasePageTab::HighlightLink(bool under_pointer) {
  QPalette colours = Label9->palette();
  colours.setColor(QPalette::WindowText, under_pointer ? kLinkHotColour : kLinkColour);
  Label9->setPalette(colours);
}

void DatabasePageTab::OpenPageLink() {
  const QString address = GetSetupValue(database_, QString::fromLatin1(kCardsAdvertisingUrl));
  const QUrl url(address, QUrl::StrictMode);
  // The address comes from an editable table: the desktop is handed web pages only, never a
  // file or another program's scheme.
  const bool web_page =
      url.isValid() && !url.host().isEmpty() &&
      (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
  if (!web_page) {
    ShowMessage(QStringLiteral("Адрес ") + Quoted(address) +
                    QStringLiteral(" не является адресом веб-страницы."),
                kInformationStyle, kMessageTitle);
    return;
  }
  open_url_(url);
}

bool DatabasePageTab::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == Text7 && enter) {
      CheckPagePassword();
      return true;
    }
    if ((watched == Text5 || watched == Text6) && (enter || key == Qt::Key_Escape)) {
      const int pressed = enter ? Qt::Key_Return : Qt::Key_Escape;
      watched == Text5 ? OnNewPasswordKey(pressed) : OnConfirmationKey(pressed);
      return true;
    }
  }
  if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
    HighlightLink(watched == Label9);
  }
  if (watched == Label9 && event->type() == QEvent::MouseButtonRelease) OpenPageLink();
  return QWidget::eventFilter(watched, event);
}

}  // namespace kx12r
