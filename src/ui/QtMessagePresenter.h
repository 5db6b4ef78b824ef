#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "base/MessageBox.h"

namespace kx12r {

// The box for a message: icon and buttons by the box style, the buttons named in Russian
// whatever the session's language.
std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, int box_style,
                                             const QString& title, QWidget* parent);

// Messages as modal QMessageBox dialogs over the main window.
class QtMessagePresenter : public MessagePresenter {
 public:
  explicit QtMessagePresenter(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  MessageButton Present(const QString& text, int box_style, const QString& title) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace kx12r
