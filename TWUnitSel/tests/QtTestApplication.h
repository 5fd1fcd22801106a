#pragma once
// One QApplication for the whole test program, created before the first test runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace tw::testing {

class QtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (QApplication::instance() == nullptr) {
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "twunitsel_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace tw::testing
