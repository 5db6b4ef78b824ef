// The firmware update tab: how readers get new firmware.
#include "app/FirmwareUpdateTab.h"

#include "ui/Twips.h"

namespace kx12r {

FirmwareUpdateTab::FirmwareUpdateTab(QWidget* parent) : QWidget(parent) {
  Label10 = new QLabel(this);
  Label10->setGeometry(TabPageRect(240, 600, 10100, 3600));
  Label10->setWordWrap(true);
  Label10->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label10->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label10->setText(QStringLiteral(
      "Считыватели «KX12R» с версией ПО v1.50 и выше имеют встроенный загрузчик, который "
      "позволяет обновлять ПО через USB-подключение, без отправки считывателя изготовителю.\n\n"
      "Для полноценной работы с Конфигуратором необходима версия ПО v1.70 или выше.\n\n"
      "Поддержка обновления ПО появится в одной из следующих версий Конфигуратора. До тех пор "
      "файлы обновления и инструкции высылаются пользователям по запросу. Запросы на обновление "
      "направляйте по адресу: support@salvion.ru"));
}

}  // namespace kx12r
