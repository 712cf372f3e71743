// The FSUIPC client against the in-process fake OS and the stand-in server.
#include "fsuipc/client.h"

#include <gtest/gtest.h>

#include "tests/support/fake_os.h"

namespace corvane::fsuipc {
namespace {

TEST(ClientOpen, Smoke) {
    testing::FakeOs os;
    os.has_uipcmain = true;
    static Client client;
    std::int32_t code = -1;
    ASSERT_EQ(open(client, os, 0, code), 1);
    EXPECT_EQ(code, kOk);
    unsigned char b = 0x5A;
    ASSERT_EQ(write(client, 0x9400, 1, &b, code), 1);
    unsigned char r = 0;
    ASSERT_EQ(read(client, 0x9400, 1, &r, code), 1);
    ASSERT_EQ(process(client, os, code), 1);
    EXPECT_EQ(r, 0x5A);
    close(client, os);
    EXPECT_EQ(os.open_handles(), 0u);
}

}  // namespace
}  // namespace corvane::fsuipc
