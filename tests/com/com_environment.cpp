// Every test program here runs in the multithreaded apartment.
#include <gtest/gtest.h>

#include <memory>

#include "utils/com_apartment.h"

namespace {

class com_environment : public ::testing::Environment {
public:
    void SetUp() override {
        apartment_ = std::make_unique<Orvane::utils::com_apartment>();
        ASSERT_TRUE(SUCCEEDED(apartment_->result()));
    }
    void TearDown() override { apartment_.reset(); }

private:
    std::unique_ptr<Orvane::utils::com_apartment> apartment_;
};

[[maybe_unused]] const auto* environment = ::testing::AddGlobalTestEnvironment(new com_environment);

}  // namespace
