// The service list scan end to end: which keys are read, in which order, and what each
// entry does, with real services and a real Services.ini.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/harness/launcherscenario.h"
#include "tests/harness/registeredservice.h"

namespace {

std::string Started(const RegisteredService& service)
{
    return "[zStartup] Success starting service " + service.Name();
}

class ServiceListScan : public LauncherScenario {};

TEST_F(ServiceListScan, StartsEntriesInKeyOrderAndEndsAtFirstEmptyKey)
{
    RegisteredService key0, key1, key3;
    folder_.Write("Services.ini",
                  "[START]\r\n1=" + key1.Name() + "\r\n0=" + key0.Name() + "\r\n3=" + key3.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({Started(key0), Started(key1)}));
    EXPECT_LE(run.elapsedMs, 2000u) << "two starts of 200 ms each";
    EXPECT_EQ(key0.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(key1.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(key3.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "key 3 lies past the gap at key 2";
}

TEST_F(ServiceListScan, StopsThenStartsWithinOneEntry)
{
    RegisteredService stopped("--event=plain --signal-after=300");
    RegisteredService started;
    ASSERT_EQ(stopped.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[START]\r\n0=" + started.Name() + "\r\n[STOP]\r\n0=" + stopped.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + stopped.Name(), Started(started)}));
    EXPECT_LE(run.elapsedMs, 1800u) << "a stop of 300 ms and a start of 200 ms";
    EXPECT_TRUE(stopped.WaitForState(SERVICE_STOPPED, 5000));
    EXPECT_EQ(started.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ServiceListScan, ReadsKeyColonAfterTenEntries)
{
    RegisteredService colon, pastEnd;
    std::string ini = "[START]\r\n";
    TraceLines serviceLines;
    for (char key = '0'; key <= '9'; ++key) {
        std::string missing = std::string("zstNoSuchService") + key;
        ini += std::string(1, key) + "=" + missing + "\r\n";
        serviceLines.push_back("[zStartup] Error starting service " + missing);
    }
    // ';' is empty, so '<' is never read.
    ini += ":=" + colon.Name() + "\r\n<=" + pastEnd.Name() + "\r\n";
    folder_.Write("Services.ini", ini);
    serviceLines.push_back(Started(colon));

    ProgramRun run = Run();
    ExpectTrace(run, Frame(serviceLines));
    EXPECT_LE(run.elapsedMs, 2000u) << "ten refused starts and one start of 200 ms";
    EXPECT_EQ(pastEnd.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(ServiceListScan, UnknownServiceNamesAreErrorLines)
{
    folder_.Write("Services.ini", "[STOP]\r\n0=zstNoSuchStop\r\n[START]\r\n0=zstNoSuchStart\r\n1=\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Error stopping service zstNoSuchStop",
                            "[zStartup] Error starting service zstNoSuchStart"}));
    EXPECT_LE(run.elapsedMs, 1500u) << "nothing to wait for";
}

TEST_F(ServiceListScan, ListWithoutEntriesLeavesNoServiceLine)
{
    folder_.Write("Services.ini", "[STOP]\r\n[START]\r\n1=zstNeverRead\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({}));
    EXPECT_LE(run.elapsedMs, 1500u) << "nothing to wait for";
}

// A service stopped and started again by one entry: the stop event comes just before the
// service reports stopped, and the start must wait out that moment rather than fail as
// "already running", within the entry's one 5 s wait.
struct RestartCase {
    const char* name;
    const char* options;  // test service arguments
    bool started;
    DWORD atLeastMs;
    DWORD atMostMs;
};

// clang-format off
const RestartCase kRestarts[] = {
    // 600 ms of stopping, then the start poll: no more than the service itself takes.
    {"QuickStopCostsWhatTheServiceTakes", "--event=plain --stopped-after=600", true, 600, 1600},
    // 3 s of stopping and 3 s of starting do not fit one 5 s wait.
    {"SlowStopAndStartShareOneTimeout", "--event=plain --stopped-after=3000 --start-delay=3000", false, 4500,
     6000},
};
// clang-format on

class Restart : public LauncherScenario, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(Restart, OneEntryStopsThenStarts)
{
    const RestartCase& row = GetParam();
    RegisteredService service(row.options);
    ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    folder_.Write("Services.ini", "[STOP]\r\n0=" + service.Name() + "\r\n[START]\r\n0=" + service.Name() + "\r\n");
    ProgramRun run = Run();
    ExpectTrace(run, Frame({"[zStartup] Success stopping service " + service.Name(),
                            std::string(row.started ? "[zStartup] Success" : "[zStartup] Error") +
                                " starting service " + service.Name()}));
    EXPECT_GE(run.elapsedMs, row.atLeastMs);
    EXPECT_LE(run.elapsedMs, row.atMostMs);
    if (row.started) {
        EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING));
    }
}

INSTANTIATE_TEST_SUITE_P(Launcher, Restart, ::testing::ValuesIn(kRestarts),
                         [](const ::testing::TestParamInfo<RestartCase>& info) { return info.param.name; });

// Values around the 256 characters of the longest service name, against two services whose
// names are 255 and 256 characters long, the second the first and one more. A value works
// whole up to 256 characters, quoted or not; a longer one acts on no service, not on the one
// its first 256 characters name, and the next entry still runs.
struct LongValueCase {
    const char* name;
    bool stop;  // a STOP entry, the services running; else START, the services stopped
    bool quoted;
    int pastTheName;  // characters after the 256-character name
    bool actsOnIt;    // on the 256-character service
};

// clang-format off
const LongValueCase kLongValues[] = {
    {"Quoted256CharactersStopThatService", true, true, 0, true},
    {"Plain256CharactersStopThatService", true, false, 0, true},
    {"Plain257CharactersStopNoService", true, false, 1, false},
    {"Quoted300CharactersStopNoService", true, true, 44, false},
    {"Plain257CharactersStartNoService", false, false, 1, false},
};
// clang-format on

class LongValue : public LauncherScenario, public ::testing::WithParamInterface<LongValueCase> {};

TEST_P(LongValue, ActsOnlyOnTheServiceItNamesWhole)
{
    const LongValueCase& row = GetParam();
    static int counter = 0;
    std::string shorter = "zst" + std::to_string(GetCurrentProcessId()) + "long" + std::to_string(++counter);
    shorter.resize(255, 'q');
    RegisteredService name255("", shorter), name256("", shorter + "x");
    if (row.stop) {
        ASSERT_EQ(name255.StartAndWaitRunning(), 0u);
        ASSERT_EQ(name256.StartAndWaitRunning(), 0u);
    }
    const std::string value = name256.Name() + std::string(row.pastTheName, 'y');
    folder_.Write("Services.ini", std::string(row.stop ? "[STOP]" : "[START]") +
                                      "\r\n0=" + (row.quoted ? "\"" + value + "\"" : value) + "\r\n" +
                                      (row.stop ? "[START]\r\n" : "") + "1=zstNoSuchNext\r\n");

    ProgramRun run = Run();

    ExpectTrace(run, Frame({std::string("[zStartup] ") + (row.actsOnIt ? "Success " : "Error ") +
                                (row.stop ? "stopping" : "starting") + " service " + name256.Name(),
                            "[zStartup] Error starting service zstNoSuchNext"}));
    const DWORD untouched = row.stop ? SERVICE_RUNNING : SERVICE_STOPPED;
    const DWORD acted = row.stop ? SERVICE_STOPPED : SERVICE_RUNNING;
    if (row.stop && row.actsOnIt) name256.WaitForState(SERVICE_STOPPED, 5000);
    EXPECT_EQ(name256.State(), row.actsOnIt ? acted : untouched);
    EXPECT_EQ(name255.State(), untouched) << "the 255-character service";
}

INSTANTIATE_TEST_SUITE_P(Launcher, LongValue, ::testing::ValuesIn(kLongValues),
                         [](const ::testing::TestParamInfo<LongValueCase>& info) { return info.param.name; });

// Names in a UTF-16 list against the ANSI code page 1252: a value whose characters the code page
// holds names its service; one with a character it lacks names no service, not the one its
// best-fit look-alike would name (the full-width Ｒ０ is not R0, the subscript ₁ not 1). The
// line shows '?' for each character the code page lacks.
struct ExactNameCase {
    const char* name;
    bool stop;                // a STOP entry, the service running; else START, it stopped
    const wchar_t* valueEnd;  // after the unique ASCII start of the name
    const char* serviceEnd;   // the service's name after the same start, code page 1252
    const char* shownEnd;     // the name in the line
    bool actsOnIt;
};

// clang-format off
const ExactNameCase kExactNames[] = {
    {"FullWidthLettersStopNoService", true, L"\uFF32\uFF10", "R0", "??", false},
    {"SubscriptDigitStopsNoService", true, L"R\u2081", "R1", "R?", false},
    {"SubscriptDigitStartsNoService", false, L"R\u2081", "R1", "R?", false},
    {"LetterOfTheCodePageStopsItsService", true, L"\u00C9", "\xC9", "\xC9", true},
};
// clang-format on

std::string Utf16LeWithMark(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

class ExactName : public LauncherScenario, public ::testing::WithParamInterface<ExactNameCase> {};

TEST_P(ExactName, ActsOnlyOnANameTheCodePageHoldsExactly)
{
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    const ExactNameCase& row = GetParam();
    static int counter = 0;
    const std::string start = "zst" + std::to_string(GetCurrentProcessId()) + "e" + std::to_string(++counter);
    RegisteredService service("", start + row.serviceEnd);
    if (row.stop) {
        ASSERT_EQ(service.StartAndWaitRunning(), 0u);
    }
    const std::wstring section = row.stop ? L"[STOP]" : L"[START]";
    folder_.Write("Services.ini", Utf16LeWithMark(section + L"\r\n0=" + std::wstring(start.begin(), start.end()) +
                                                  row.valueEnd + L"\r\n"));

    ProgramRun run = Run();

    ExpectTrace(run, Frame({std::string("[zStartup] ") + (row.actsOnIt ? "Success " : "Error ") +
                            (row.stop ? "stopping" : "starting") + " service " + start + row.shownEnd}));
    const DWORD untouched = row.stop ? SERVICE_RUNNING : SERVICE_STOPPED;
    if (row.actsOnIt) service.WaitForState(SERVICE_STOPPED, 5000);
    EXPECT_EQ(service.State(), row.actsOnIt ? static_cast<DWORD>(SERVICE_STOPPED) : untouched);
}

INSTANTIATE_TEST_SUITE_P(Launcher, ExactName, ::testing::ValuesIn(kExactNames),
                         [](const ::testing::TestParamInfo<ExactNameCase>& info) { return info.param.name; });

}  // namespace
