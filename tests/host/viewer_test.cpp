// The viewer's policy (which Notepad, who starts it, when nobody does) and
// the route to the desktop shell, whose worker and caller are played here in
// turn on a clock of the test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/viewer.h"
#include "platform/error.h"

namespace trevanil {
namespace {

using Journal = std::vector<std::string>;

const std::string kLog = "D:\\Registros\\RegistroOCX.log";
const std::string kSystem = "C:\\Windows\\system32";
const std::string kNotepad = kSystem + "\\notepad.exe";
const std::string kWowNotepad = "C:\\Windows\\SysWOW64\\notepad.exe";
const std::string kUser = "S-1-5-21-1004336348-1177238915-682003330-1001";

// Every step journaled with the program it names; every start must carry
// the log's command line and the system folder.
struct FakeSystem final : ViewerSystem {
    struct Token final : ShellToken {
        explicit Token(FakeSystem& s) : system(s) {}
        TokenFacts facts() const override { return *system.shellFacts; }
        bool start(const ViewerStart& s) override { return system.step("token", s) && system.tokenStarts; }
        FakeSystem& system;
    };
    bool step(const std::string& what, const ViewerStart& s) {
        journal.push_back(what + " " + s.program);
        EXPECT_EQ(s.commandLine, "notepad " + kLog);
        EXPECT_EQ(s.arguments, kLog);
        EXPECT_EQ(s.folder, kSystem);
        return true;
    }
    std::string systemFolder() const override { return kSystem; }
    std::optional<std::string> wow64Folder() const override { return wow64; }
    bool isPlainFile(const std::string& path) const override { return files.count(path) != 0; }
    void lookForShell() override { journal.push_back("look"); }
    void askShell(const ViewerStart& s) override { step("shell", s); }
    bool shellAnswered() override { return shellAnswers; }
    std::unique_ptr<ShellToken> shellToken() override {
        return shellFacts ? std::make_unique<Token>(*this) : nullptr;
    }
    TokenFacts ownToken() const override { return {ownElevated, kUser}; }
    void startItself(const ViewerStart& s) override {
        step("itself", s);
        if (startFails) throw PlatformError(errnum::fileNotFound);
    }

    std::optional<std::string> wow64;
    std::set<std::string> files{kNotepad};
    bool shellAnswers = false;
    std::optional<TokenFacts> shellFacts;  // none: no shell window
    bool tokenStarts = true;
    std::optional<bool> ownElevated;
    bool startFails = false;
    Journal journal;
};

struct PolicyRow {
    const char* name;
    bool throughShell;  // COM's security is this program's
    std::optional<std::string> wow64;
    bool shellAnswers;
    std::optional<TokenFacts> shellToken;
    bool tokenStarts;
    std::optional<bool> ownElevated;
    Journal steps;
};

void PrintTo(const PolicyRow& row, std::ostream* out) { *out << row.name; }

class ViewerPolicy : public ::testing::TestWithParam<PolicyRow> {};

TEST_P(ViewerPolicy, TakesTheFirstWayThatStartsNotepadWithTheUsersRights) {
    const PolicyRow& row = GetParam();
    FakeSystem system;
    system.wow64 = row.wow64;
    system.shellAnswers = row.shellAnswers;
    system.shellFacts = row.shellToken;
    system.tokenStarts = row.tokenStarts;
    system.ownElevated = row.ownElevated;
    ViewerLaunch viewer(system, row.throughShell);
    viewer.prepare();
    viewer.open(kLog);
    viewer.finish();
    viewer.finish();  // once only
    EXPECT_EQ(system.journal, row.steps);
}

const TokenFacts kUsers{false, kUser};

INSTANTIATE_TEST_SUITE_P(Rows, ViewerPolicy, ::testing::Values(
    PolicyRow{"shell_answers", true, {}, true, kUsers, true, false, {"look", "shell " + kNotepad}},
    PolicyRow{"shell_silent_its_token", true, {}, false, kUsers, true, true,
              {"look", "shell " + kNotepad, "token " + kNotepad}},
    PolicyRow{"token_refused_not_elevated", true, {}, false, kUsers, false, false,
              {"look", "shell " + kNotepad, "token " + kNotepad, "itself " + kNotepad}},
    PolicyRow{"elevated_shell", true, {}, false, TokenFacts{true, kUser}, true, false,
              {"look", "shell " + kNotepad, "itself " + kNotepad}},
    PolicyRow{"system_accounts_shell_elevated", true, {}, false, TokenFacts{false, "S-1-5-18"}, true, true,
              {"look", "shell " + kNotepad}},
    PolicyRow{"nothing_known", true, {}, false, TokenFacts{std::nullopt, kUser}, true, std::nullopt,
              {"look", "shell " + kNotepad}},
    PolicyRow{"tokens_user_unknown", true, {}, false, TokenFacts{false, ""}, true, false,
              {"look", "shell " + kNotepad, "itself " + kNotepad}},
    PolicyRow{"no_shell_window_elevated", true, {}, false, std::nullopt, true, true, {"look", "shell " + kNotepad}},
    PolicyRow{"com_security_not_ours", false, {}, true, kUsers, true, false, {"token " + kNotepad}},
    PolicyRow{"wow64", true, "C:\\Windows\\SysWOW64", false, kUsers, false, false,
              {"look", "shell " + kWowNotepad, "token " + kWowNotepad, "itself " + kNotepad}},
    PolicyRow{"wow64_folder_unknown", true, "", true, kUsers, true, false, {"look", "itself " + kNotepad}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ViewerLaunch, RaisesWhereNotepadIsNotInTheSystemFolderOrCannotStart) {
    FakeSystem missing;
    missing.files = {"D:\\Registros\\notepad.exe", kSystem + "\\notepad.com"};
    ViewerLaunch viewer(missing, true);
    try {
        viewer.open(kLog);
        ADD_FAILURE() << "opened";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), errnum::fileNotFound);
    }
    viewer.finish();
    EXPECT_TRUE(missing.journal.empty());

    FakeSystem refusing;
    refusing.ownElevated = false;
    refusing.startFails = true;
    ViewerLaunch refused(refusing, false);
    refused.open(kLog);
    EXPECT_THROW(refused.finish(), PlatformError);
}

// The route to the shell: the worker's steps, with the caller's wait played
// in the middle of one of them (when it waits while the worker is still at
// it) or once the worker has ended.
using Answer = ShellWorker::Answer;
enum class CallerWaits { afterTheWorker, whileLooking, whileAsking, whileLookingAgain };

struct SearchRow {
    const char* name;
    int servesFrom;           // ms after the start
    std::vector<Answer> answers;
    int backAfter;            // ms after a shell went until the next serves
    CallerWaits callerWaits;
    bool answered;
    int asks;
};

void PrintTo(const SearchRow& row, std::ostream* out) { *out << row.name; }

struct FakeShell final : ShellWorker, ShellWait {
    FakeShell(const SearchRow& r, ShellSearch& s)
        : row(r), search(s), servesFrom(static_cast<std::uint64_t>(r.servesFrom)) {}
    std::uint64_t now() const override { return clock; }
    void pause(std::uint32_t ms) override { clock += ms; }
    bool findShell() override {
        if (row.callerWaits == (asks == 0 ? CallerWaits::whileLooking : CallerWaits::whileLookingAgain)) callerWaits();
        return clock >= servesFrom;
    }
    Answer ask(const ViewerStart& s) override {
        EXPECT_EQ(s.program, kNotepad);
        if (row.callerWaits == CallerWaits::whileAsking) callerWaits();
        const Answer answer = row.answers.at(asks++);
        if (answer == Answer::gone) servesFrom = clock + static_cast<std::uint64_t>(row.backAfter);
        return answer;
    }
    bool workerEnded(std::uint64_t deadline) override {
        if (!waiting) return true;
        clock = std::max(clock, deadline);
        return false;
    }
    void callerWaits(bool workerAtIt = true) {
        if (answered) return;
        waiting = workerAtIt;
        answered = search.answered(*this);
        waiting = false;
    }

    const SearchRow& row;
    ShellSearch& search;
    std::uint64_t clock = 0, servesFrom;
    std::optional<bool> answered;
    bool waiting = false;
    int asks = 0;
};

class ShellRoute : public ::testing::TestWithParam<SearchRow> {};

TEST_P(ShellRoute, AsksTheShellAtMostOnceAndGivesUpOnlyBeforeAsking) {
    const SearchRow& row = GetParam();
    ShellSearch search(0);
    FakeShell shell(row, search);
    search.give({kNotepad, "notepad " + kLog, kLog, kSystem});
    if (search.find(shell)) search.deliver(shell);
    shell.callerWaits(false);
    EXPECT_EQ(shell.answered, row.answered);
    EXPECT_EQ(shell.asks, row.asks);
}

INSTANTIATE_TEST_SUITE_P(Rows, ShellRoute, ::testing::Values(
    SearchRow{"answers", 0, {Answer::started}, 0, CallerWaits::afterTheWorker, true, 1},
    SearchRow{"refuses", 0, {Answer::refused}, 0, CallerWaits::afterTheWorker, false, 1},
    SearchRow{"serves_at_the_last_look", 4950, {Answer::started}, 0, CallerWaits::afterTheWorker, true, 1},
    SearchRow{"serves_after_the_wait", 5000, {Answer::started}, 0, CallerWaits::afterTheWorker, false, 0},
    SearchRow{"gone_then_back_within_the_wait", 0, {Answer::gone, Answer::started}, 4000,
              CallerWaits::afterTheWorker, true, 2},
    SearchRow{"gone_for_longer_than_the_wait", 0, {Answer::gone, Answer::started}, 5000,
              CallerWaits::afterTheWorker, false, 1},
    SearchRow{"given_up_while_looking", 0, {Answer::started}, 0, CallerWaits::whileLooking, false, 0},
    SearchRow{"asked_and_not_yet_answered", 0, {Answer::refused}, 0, CallerWaits::whileAsking, true, 1},
    SearchRow{"given_up_while_looking_again", 0, {Answer::gone, Answer::started}, 0,
              CallerWaits::whileLookingAgain, false, 1}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trevanil
