#pragma once

#include <QPointer>
#include <QWidget>

#include "MessageBox.h"

namespace kx12r {

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
