#pragma once
#include <string>

namespace tervane::text {

// Why a network could not be built, in the program's words.
inline const std::string kFlatExtents = "数据的X或Y坐标全部相同，无法绘制网络！";
inline const std::string kCollinearPoints = "数据点全部在一条直线上，无法构成三角网络！";
inline const std::string kNetworkIncomplete =
    "数据中可能有重复点或共圆点，网络不完整，请进入[编辑]检查数据！";

// The status bar's hint after a build refused the data or warned about it.
inline const std::string kDataCheckHint = "可用[文件]菜单中的[数据检查…]查看数据有什么问题";

// A record whose X, Y or Z is not a finite number ("1e999").
inline std::string badNumberInRecord(long record)
{
    return "第 " + std::to_string(record) + " 个数据记录的数值无效，请进入[编辑]检查数据！";
}

// A working file that could not be written.
inline std::string workingFileUnwritable(const std::string& name)
{
    return "无法写入工作文件 " + name + "，请检查当前目录！";
}

} // namespace tervane::text
