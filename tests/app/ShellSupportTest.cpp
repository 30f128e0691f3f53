#include <gtest/gtest.h>

#include <gio/gio.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "ShellSupport.h"

namespace vornex::shell {
namespace {

TEST(ShellSupport, ModifiersReachTheViewsAsTheirOwnBits) {
    EXPECT_EQ(modifierFlags(0), 0u);
    EXPECT_EQ(modifierFlags(gdkmask::shift), modifiers::shift);
    EXPECT_EQ(modifierFlags(gdkmask::control | gdkmask::alt), modifiers::control | modifiers::option);
    EXPECT_EQ(modifierFlags(gdkmask::super), modifiers::command);
    // Mouse-button and lock bits are not modifiers of a click.
    EXPECT_EQ(modifierFlags(1u << 1 | 1u << 8), 0u);
}

TEST(ShellSupport, TableKeysMapToTheCodesTheTableReadsAndOthersStayWithGtk) {
    const struct {
        unsigned keyval;
        std::optional<int> code;
    } cases[] = {{0xff50, 115}, {0xff57, 119}, {0xff54, keycodes::downArrow},
                 {0xff52, keycodes::upArrow}, {0xffff, keycodes::deleteForward},
                 {0xff08, keycodes::deleteBackward}, {0xff8d, 76}, {0xff99, keycodes::downArrow},
                 {'a', std::nullopt}, {0xff0d, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(tableKeyCode(c.keyval), c.code) << std::hex << c.keyval;
}

TEST(ShellSupport, ClicksCountOnlyWhenCloseInTimeAndPlace) {
    ClickCounter clicks(400, 5);
    EXPECT_EQ(clicks.press(1000, {10, 10}), 1);
    EXPECT_EQ(clicks.press(1300, {12, 13}), 2);
    EXPECT_EQ(clicks.press(1600, {12, 13}), 3);
    EXPECT_EQ(clicks.press(2100, {12, 13}), 1);  // too late
    EXPECT_EQ(clicks.press(2200, {30, 13}), 1);  // too far
    EXPECT_EQ(clicks.press(100, {30, 13}), 1);   // a clock that went back starts again
}

TEST(ShellSupport, TitleNamesTheDocumentAndMarksUnsavedChanges) {
    EXPECT_EQ(windowTitle("", false), "Untitled \u2013 Wyvra");
    EXPECT_EQ(windowTitle("", true, 3), "*Untitled 3 \u2013 Wyvra");
    EXPECT_EQ(windowTitle("/tmp/cases/brine.wyvra", true), "*brine.wyvra \u2013 Wyvra");
}

TEST(ShellSupport, DocumentActionsGetValidAndDistinctGioNames) {
    std::set<std::string> names;
    for (const char* action : {"onToggleShowLG:", "onGoToPTX_panel:", "onGoToRho_panel:",
                               "onShowLog:", "onFocusToV_HL:", "onFocusToNaCl:"}) {
        const std::string gio = gioActionName(action);
        EXPECT_TRUE(g_action_name_is_valid(gio.c_str())) << gio;
        names.insert(gio);
    }
    EXPECT_EQ(names.size(), 6u);
}

TEST(ShellSupport, SavedDocumentsGetTheExtensionOnlyWhenTheyHaveNone) {
    EXPECT_EQ(withDocumentExtension("/tmp/a"), "/tmp/a.wyvra");
    EXPECT_EQ(withDocumentExtension("/tmp/a.wyvra"), "/tmp/a.wyvra");
    EXPECT_EQ(withDocumentExtension("/tmp/a.cases"), "/tmp/a.cases");
}

// Regression: "Save curve as text" proposed "data.txt.txt".
TEST(ShellSupport, SavePanelsProposeTheTypeOnce) {
    EXPECT_EQ(nameWithType("data.txt", "txt"), "data.txt");
    EXPECT_EQ(nameWithType("data.itx", "itx"), "data.itx");
    EXPECT_EQ(nameWithType("P-T", "pdf"), "P-T.pdf");
    EXPECT_EQ(nameWithType("data.txt", "itx"), "data.txt.itx");
    EXPECT_EQ(nameWithType(".txt", "txt"), ".txt.txt");
}

// A save panel confirms replacing the file chosen, not the one its extension names. Regression:
// "plot" chosen where "plot.pdf" (or "Untitled.wyvra") was already there wrote over that file
// without a word.
TEST(ShellSupport, AnExtensionAddedNeverReplacesAFileWithoutAsking) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("wyvra-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const std::string stem : {"plot", "Halit\xC3\xA9 \"30 %\" 'run'"}) {
        const std::string chosen = (dir / stem).string();
        for (const std::string& target : {chosen + ".pdf", withDocumentExtension(chosen)}) {
            EXPECT_EQ(replacedWithoutAsking(chosen, target), "") << target;
            std::ofstream(target) << "someone's";
            const std::string said = replacedWithoutAsking(chosen, target);
            EXPECT_NE(said.find(std::filesystem::path(target).filename().string()),
                      std::string::npos)
                << said;
            // The file chosen by its own name is the one the panel asked about.
            EXPECT_EQ(replacedWithoutAsking(target, target), "");
            std::filesystem::remove(target);
            // A link that leads nowhere is a file of that name all the same.
            std::filesystem::create_symlink(dir / "nowhere", target);
            EXPECT_NE(replacedWithoutAsking(chosen, target), "") << target;
            std::filesystem::remove(target);
        }
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vornex::shell
