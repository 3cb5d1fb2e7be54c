// A test-only driver for the forced-kill script: it runs one record-editor
// command on a survey file, so that a SIGKILL at any moment can be checked
// against the file's old and new bytes.
//
//   edit_driver make FILE N       writes N records and a few stray bytes
//   edit_driver delete FILE K     deletes record K
//   edit_driver compact FILE      compacts (the save step of 保存退出)
//   edit_driver hold FILE SECONDS opens the editor, prints "held" once it
//                                 has the file, and keeps it that long
//
// A command refused because another editor holds the file exits with 3.
#include "engine/base/NullCanvas.h"
#include "engine/base/Random.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/state/SharedState.h"
#include "engine/survey/RecordEditor.h"
#include "engine/survey/SurveyFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

using namespace tervane;

namespace {

int usage()
{
    std::fputs("usage: edit_driver make FILE N | delete FILE K | compact FILE | hold FILE SECONDS\n", stderr);
    return 2;
}

// Records with distinct values, then bytes short of a record: compaction
// drops them, so its new file differs from the old one.
int makeFile(const std::string& path, long n)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (long i = 1; i <= n; ++i) {
        const RecordBytes bytes = encodeRecord(
            {std::to_string(1000 + 7 * i), std::to_string(2000 + 3 * (i % 97)), std::to_string(i % 500) + ".25",
             "P" + std::to_string(i)});
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    out << "stray tail";
    return out ? 0 : 1;
}

// number is the record to delete, or how long to hold in milliseconds.
int runEditor(const std::string& command, const std::string& path, long number)
{
    SharedState state;
    state.dataFileName = path;
    state.editorUsesMainFile = 1.0f;
    ScriptedPrompter prompter;
    prompter.answers.push_back(Answer::No);  // save and exit: stay
    NullCanvas canvas(RecordEditor::kFrameWidth, RecordEditor::kFrameHeight);
    Random random(1);
    RecordEditor editor(state, prompter, canvas, random);
    editor.open();
    if (!editor.fileOpen()) {
        const auto said = prompter.messages();
        const bool busy = std::any_of(said.begin(), said.end(), [](const std::string& text) {
            return text.rfind(kFileBeingEditedMessage, 0) == 0;
        });
        return busy ? 3 : 1;
    }
    if (command == "hold") {
        std::puts("held");
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(number));
        return 0;
    }
    const long before = editor.recordTotal();
    if (command == "delete") {
        editor.browse(static_cast<int>(number));
        editor.deleteRecord();
        return editor.recordTotal() == before - 1 ? 0 : 1;
    }
    editor.saveAndExit();
    return editor.fileOpen() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    const std::string path = argv[2];
    if (command == "make" && argc == 4)
        return makeFile(path, std::stol(argv[3]));
    if (command == "delete" && argc == 4)
        return runEditor(command, path, std::stol(argv[3]));
    if (command == "hold" && argc == 4)
        return runEditor(command, path, static_cast<long>(std::stod(argv[3]) * 1000));
    if (command == "compact" && argc == 3)
        return runEditor(command, path, 0);
    return usage();
}
