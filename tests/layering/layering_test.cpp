// The layering the README promises, kept by a test: no folder includes one above it, the
// Qt-free core includes no Qt platform code, and nothing but sim, tests and bench includes cli/.

#include "tests/layering/include_rules.h"
#include "tests/support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace krv::layering {
namespace {

TEST(Layering, SourceTreeKeepsIt) {
    for (const std::string& violation : layeringViolations(KRV_SOURCE_DIR)) {
        ADD_FAILURE() << violation;
    }
}

TEST(Layering, RulesForEachPairOfFolders) {
    struct Case {
        const char* from;
        const char* included;
        bool allowed;
    };
    const Case cases[] = {
        {"link/frame_exchange.cpp", "platform/threads.h", true},
        {"link/frame_exchange.cpp", "link/frame_codec.h", true},
        {"platform/settings_file.cpp", "lang/translate.h", false},
        {"lang/translate.cpp", "link/message.h", false},
        {"connection/lpg_device.h", "firmware/firmware_file.h", false},
        {"firmware/update/firmware_update.cpp", "connection/lpg_device.h", true},
        {"device/map_file/map_file.cpp", "connection/lpg_device.h", false},
        {"device/map_file/map_file.cpp", "device/units.h", true},
        {"map_blocks/block_text.cpp", "device/units.h", true},
        {"map_blocks/block.cpp", "firmware/firmware_file.h", false},
        {"map_blocks/block.cpp", "platform/qt/message_box.h", false},
        {"cli/command_edit.cpp", "map_blocks/block_operations.h", true},
        {"calibration/calibration.cpp", "device/map_file/map_snapshot.h", true},
        {"calibration/calibration.cpp", "map/map_emu1.h", false},
        {"calibration/calibration.cpp", "platform/qt/message_box.h", false},
        {"chart/scroll_chart.cpp", "map/map_array.h", true},
        {"readings_log/readings_log.cpp", "device/readings_csv.h", true},
        {"readings_log/readings_log.cpp", "firmware/firmware_file.h", false},
        {"readings_log/readings_log.cpp", "platform/qt/open_file.h", false},
        {"cli/command_convert.cpp", "readings_log/readings_log.h", true},
        {"map/map_array.cpp", "app/korrin_dlg.h", false},
        {"app/korrin_dlg.cpp", "chart/scroll_chart.h", true},
        // The Qt half of the platform: for the window's folders, not for the core.
        {"lang/translate.cpp", "platform/qt/message_box.h", false},
        {"platform/paths.cpp", "platform/grid/cell.h", false},
        {"firmware/update/update_button.cpp", "platform/qt/open_file.h", false},
        {"platform/grid/cell_array.cpp", "platform/qt/dialog_units.h", true},
        {"map/map_array.h", "platform/grid/cell_array.h", true},
        {"app/map_clear.cpp", "platform/qt/wait_cursor.h", true},
        // The command line: the core below it, nothing of the window, and included by nobody.
        {"cli/main.cpp", "firmware/firmware_file.h", true},
        {"cli/main.cpp", "cli/commands.h", true},
        {"cli/main.cpp", "chart/scroll_chart_model.h", false},
        {"cli/main.cpp", "app/korrin_dlg.h", false},
        {"cli/main.cpp", "platform/qt/message_box.h", false},
        {"app/korrin_app.cpp", "cli/commands.h", false},
        {"connection/lpg_device.cpp", "cli/commands.h", false},
        // Free to include anything.
        {"tests/cli/commands_test.cpp", "cli/commands.h", true},
        {"sim/wire/simulator.cpp", "app/korrin_dlg.h", true},
        {"bench/app/startup_bench.cpp", "platform/qt/message_box.h", true},
        // Relative paths would slip past the rule.
        {"lang/translate.cpp", "../app/korrin_dlg.h", false},
        {"app/korrin_dlg.cpp", "app/../link/message.h", false},
        // Neither a project folder nor a file of one.
        {"lang/translate.cpp", "gtest/gtest.h", true},
        {"scripts/tool.cpp", "app/korrin_dlg.h", true},
    };
    for (const Case& c : cases) {
        const std::string problem = includeProblem(c.from, c.included);
        EXPECT_EQ(problem.empty(), c.allowed)
            << c.from << " includes " << c.included << (problem.empty() ? "" : ": ") << problem;
    }
}

TEST(Layering, ViolationNamesFileAndLine) {
    test::TempFolder root;
    std::filesystem::create_directories(root.path() / "lang/sub");
    std::ofstream(root.path() / "lang/sub/reader.cpp")
        << "#include \"lang/sub/reader.h\"\n// #include \"app/x.h\" in a comment\n"
        << "\n  #  include \"link/message.h\"\n#include <app/system.h>\n";
    std::ofstream(root.path() / "lang/notes.txt") << "#include \"app/x.h\"\n";
    const auto violations = layeringViolations(root.path());
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].rfind("lang/sub/reader.cpp:4: \"link/message.h\": ", 0), 0u)
        << violations[0];
}

} // namespace
} // namespace krv::layering
