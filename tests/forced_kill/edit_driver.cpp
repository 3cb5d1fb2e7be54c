// A test-only driver for the forced-kill script: it runs one record-editor
// command on a survey file, so that a SIGKILL at any moment can be checked
// against the file's old and new bytes.
//
//   edit_driver make FILE N       writes N records and a few stray bytes
//   edit_driver delete FILE K     deletes record K
//   edit_driver compact FILE      compacts (the save step of 保存退出)
#include "engine/base/NullCanvas.h"
#include "engine/base/Random.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/state/SharedState.h"
#include "engine/survey/RecordEditor.h"
#include "engine/survey/SurveyFile.h"

#include <cstdio>
#include <fstream>
#include <string>

using namespace tervane;

namespace {

int usage()
{
    std::fputs("usage: edit_driver make FILE N | delete FILE K | compact FILE\n", stderr);
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

int runEditor(const std::string& command, const std::string& path, long record)
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
    if (!editor.fileOpen())
        return 1;
    const long before = editor.recordTotal();
    if (command == "delete") {
        editor.browse(static_cast<int>(record));
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
    if (command == "compact" && argc == 3)
        return runEditor(command, path, 0);
    return usage();
}
