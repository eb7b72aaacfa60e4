#include <gtest/gtest.h>

#include "platform/file_system_posix.h"
#include "tests/posix_test_support.h"

namespace orvane {
namespace {

TEST(PosixCopy, Placeholder) { SUCCEED(); }

}  // namespace
}  // namespace orvane
