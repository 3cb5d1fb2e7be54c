#pragma once
#include "engine/state/RunContext.h"
#include "engine/state/Texts.h"
#include "engine/survey/DataRules.h"

#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The exact message texts of the main window's commands (the shared ones
// are in state/Texts.h).
namespace text {
inline const std::string kBadPath = "这个目录或文件是不合规定的！";
inline const std::string kFlatValues = "第三维数据全部为O或完全相同，应检查数据的正确性！";
inline const std::string kChoose3d = "请选择三维网络格式！";
inline const std::string kExitQuestion = "您是否退出程序？";
inline const std::string kWaiting = "等待状态";
// Texts of this program's own, beyond the original commands'.
inline const std::string kIntervalNotPositive = "等值线间隔必须是大于 0 的数值，请在[间隔]中重新输入！";
// kNotSurveyData and notSurveyDataMessage are the data rules' (survey/DataRules.h).
} // namespace text

// What a command asks the application to do with the windows next.
enum class WindowChange { None, OpenRecordEditor, Open3dView, Quit };

// The main window's command logic, free of any widget: the window's menu
// handlers and the headless command line both call these.
class MainCommands {
public:
    explicit MainCommands(RunContext& ctx) : ctx_(ctx) {}

    // The start-up sequence of the main window (run each time it is shown).
    void startUp();

    // The open step: the file dialog (skipped when a path is given), the
    // blank-path refusal, the caption, loading every record, then either the
    // record editor (New file) or the network build and the working files.
    // Returns true when a file ended up loaded.
    bool openDataFile(const std::optional<std::string>& presetPath = {});

    WindowChange newFile();                    // 新建文件
    WindowChange open(const std::optional<std::string>& presetPath = {});  // 打开文件
    WindowChange exit();                       // 退出
    WindowChange edit();                       // 编辑
    void networkMenu();                        // 网络 (drops down the three entries)
    void rawNetwork();                         // 原始网络
    void optimizedNetwork();                   // 优化网络
    void network3d();                          // 三维网络
    void draw();                               // 绘图
    WindowChange view3d();                     // 三维

    // Shows the file-not-open message when no file is open.
    bool requireFile();

    // Set by the open step when New file needs the record editor.
    bool editorRequested() const { return editorRequested_; }

private:
    void buildKind(int kind);
    // The colours of the 3D table the fill asks for, into the panel.
    void loadFillColours();

    RunContext& ctx_;
    bool editorRequested_ = false;
};

} // namespace tervane
