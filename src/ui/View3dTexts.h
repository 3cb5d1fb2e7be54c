#pragma once
#include <string>

namespace tervane::view3d_text {

inline constexpr const char* kCaptionStart = "  Tervane V2.0    ";
inline constexpr const char* kEditOn = "编辑图";
inline constexpr const char* kEditOff = "隐蔽网格";
inline constexpr const char* kRedraw = "更新图";
inline constexpr const char* kPreview = "抽象预览";
inline constexpr const char* kHelpOpen = "打开帮助";
inline constexpr const char* kHelpClose = "关闭帮助";
inline constexpr const char* kSave = "存图";
inline constexpr const char* kPrint = "打印";
inline constexpr const char* kReturn = "返  回";

inline constexpr const char* kCannotSave =
    "  不能存储!捕获的图形总是用已经打开的数据文件名存\n储为(.bmp)文件,您捕获之前没有打开任何数据文件.";
inline constexpr const char* kSaveQuestionStart = "按[是]键，将屏幕图形用已打开的等值线文件名存储为 \n";
inline constexpr const char* kSaveQuestionEnd = "  若按［否］则不保存。";
inline constexpr const char* kCannotWrite = "不能写入图形文件 ";

// A drawing asked for while a box holds text its rule refuses.
inline constexpr const char* kAngleRefused = "角度 ( 1-360 ) 不接受";
inline constexpr const char* kHeightRefused = "高度 ( 10-200 ) 不接受";
inline std::string refusedEntry(const char* box, const std::string& typed)
{
    return std::string(box) + "“" + typed + "”，图形没有画。请输入范围内的数，不带多余的 0 或正号。";
}

// The height and angle help over the cell thumbnail: a line break every
// few characters, as the narrow box needs.
inline constexpr const char* kGridHelp =
    "高度是单位网格\n"
    "的长度，网格宽\n"
    "度由程序固定，\n"
    "改变高度即按比\n"
    "例缩放网格。\n"
    "角度使您能从多\n"
    "个方向观察图形。\n"
    "两个输入框都限\n"
    "定在其范围内，\n"
    "其他输入不被接\n"
    "受。结果可在下\n"
    "面的略图中看到。\n"
    "角度大于180度\n"
    "时图形掉转过来\n"
    "(例如225度)。\n"
    "缩放条放大或缩\n"
    "小图形，可用抽\n"
    "象预览检查。";

// The help beside the drawing area: one paragraph per control.
inline constexpr const char* kViewHelp =
    "【编辑图】显示各网格结点的分级值，可逐个修改(0-9)，图形随之改变。\n\n"
    "【隐蔽网格】结束编辑，把修改写回结点，回到图形区。\n\n"
    "【更新图】按当前设置重画立体图。\n\n"
    "【抽象预览】粗略快速地画出图形的形状和颜色，用于试角度、高度和缩放。\n\n"
    "【Esc】绘图时按Esc键立即停止，图形区被清空。\n\n"
    "【立体分级颜色表】击色条可为该级选颜色，自动存入0号色表。\n\n"
    "【RGB 亮度】三个滚动条分别增减红、绿、蓝的亮度，红线处为原色；[复位]恢复原色。\n\n"
    "【立体分级】选择分级数(2-9)，分级越少图形越低、颜色越少。\n\n"
    "【显示网格】在曲面上画出网格线。\n\n"
    "【演示过程】勾选时可看到图形逐步画出；不勾选时画完后一次显示。\n\n"
    "【悬空曲面】勾选时曲面悬空，不画最外一圈网格。\n\n"
    "【背景颜色】击色块选择图形区的背景颜色，之后需重画。\n\n"
    "【自选色表】选择色表0-9和A；0号为您自己的色表。\n\n"
    "【网格线条颜色】最下面的色条是网格线的颜色。\n\n"
    "【存图】把图形存为数据文件名加_D3D.BMP的图片。\n\n"
    "【打印】打印图形区的图片；演示过程中画出的图请先存图再打印。\n\n"
    "【返回】关闭本窗口，回到主窗口。\n\n"
    "本窗口需要24位或32位真彩色显示。";

} // namespace tervane::view3d_text
