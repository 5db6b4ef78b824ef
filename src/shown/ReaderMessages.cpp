// What the user is told of the readers as a whole.
#include "shown/ReaderMessages.h"

#include <QFileInfo>

#include "base/MessageBox.h"
#include "base/NumericText.h"

namespace kx12r {

bool ReaderRuleInstalled() {
  for (const char* folder : {"/usr/lib/udev/rules.d", "/lib/udev/rules.d", "/etc/udev/rules.d"}) {
    if (QFileInfo::exists(QString::fromLatin1(folder) + QStringLiteral("/70-kx12r.rules"))) {
      return true;
    }
  }
  return false;
}

QString NoAccessMessage(const QString& product_id, const QString& serial_number,
                        bool rule_installed) {
  const QString fix = rule_installed
                          ? QStringLiteral(
                                "Правило udev 70-kx12r.rules уже установлено: переподключите "
                                "считыватель, а если это не поможет, войдите в систему заново.")
                          : QStringLiteral(
                                "Установите правило udev 70-kx12r.rules из комплекта программы "
                                "(sudo cmake --install build) и переподключите считыватель.");
  return QStringLiteral("Считыватель ") + Quoted(QStringLiteral("KX12R")) +
         QStringLiteral(" (Product ID ") + Quoted(product_id) + QStringLiteral(", S/N ") +
         Quoted(serial_number) +
         QStringLiteral(") подключен, но система не разрешает программе доступ к нему. ") + fix;
}

QString NoAccessMessage(const ConnectedReader& reader) {
  return NoAccessMessage(HexWord(reader.identity.product_id), reader.identity.serial_number);
}

}  // namespace kx12r
