#include "E2EHost.h"

using E2E::NorquillTest;

TEST_F(NorquillTest, DllLoadsWithAllEightExports)
{
    EXPECT_TRUE(Dll().Loaded());
}
