#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "BoxedDatabase.h"
#include "ScriptedPresenter.h"
#include "db/ServiceDatabase.h"

namespace kx12r {

// A fresh copy of the built service database per test.
class ServiceDatabaseFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(KX12R_BUILT_DATABASE, path_));
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
  }

  QTemporaryDir folder_;
  QString path_ = GetDatabasePath(folder_.path());
  ScriptedPresenter presenter_;
  BoxedDatabase db_{path_, false};
};

}  // namespace kx12r
