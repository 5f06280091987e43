// Every test program here runs in the multithreaded apartment.
#include <gtest/gtest.h>

#include <objbase.h>

namespace {

class com_environment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] const auto* environment = ::testing::AddGlobalTestEnvironment(new com_environment);

}  // namespace
