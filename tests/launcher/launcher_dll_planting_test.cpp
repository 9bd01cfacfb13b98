// DLL planting: a winmm.dll dropped beside the launcher must not be loaded. The test runs with
// WINEDLLOVERRIDES=winmm=n,b (set by CTest: Wine takes it from the process tree's Unix
// environment, not from a child's environment block), so that Wine, like Windows for DLLs
// outside its known list, prefers a winmm.dll found beside the program.
#include <gtest/gtest.h>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"

namespace {

class DllPlanting : public LauncherScenario {
protected:
    // Runs product (from bin/) as zStartup.exe beside the planted DLL, with a service to start
    // so that the clock is used.
    void RunBesidePlantedWinmm(const std::string& product)
    {
        folder_.CopyFromBin("planted\\winmm.dll", "winmm.dll");
        folder_.Write("Services.ini", "[START]\r\n0=" + service_.Name() + "\r\n");
        ProgramRun run = Run("zStartup.exe", product);
        ExpectTrace(run, Frame({"[zStartup] Success starting service " + service_.Name()}));
    }

    RegisteredService service_;
};

TEST_F(DllPlanting, PlantedWinmmIsNotLoaded)
{
    RunBesidePlantedWinmm("zStartup.exe");
    EXPECT_FALSE(folder_.Exists("planted_marker.txt"));
}

// The same run of the test build that imports winmm statically does load it: the setting
// above really plants, and the test above would catch the static import.
TEST_F(DllPlanting, StaticImportBuildLoadsPlantedWinmm)
{
    RunBesidePlantedWinmm("zStartupStaticWinmm.exe");
    EXPECT_TRUE(folder_.Exists("planted_marker.txt"));
}

}  // namespace
