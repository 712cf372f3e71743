// The stand-in offset server.
#include "sim/offset_server.h"

#include <gtest/gtest.h>

namespace corvane::sim {
namespace {
TEST(OffsetServer, Smoke) { OffsetServer s; EXPECT_EQ(s.exchange_count(), 0u); }
}  // namespace
}  // namespace corvane::sim
