#pragma once
#include <string>

namespace tervane::text {

// Message texts that several commands show, kept below every subsystem so
// that none of them needs the main window's command logic for its words.
inline const std::string kFileNotOpen = "文件没打开！";
inline const std::string kTooFewPoints = "数据少于6 个,请进入[编辑]添加数据! ";
inline const std::string kRawNetwork = "原始网络";
inline const std::string kOptimizedNetwork = "优化网络";
inline const std::string k3dNetwork = "三维网络";
inline const std::string kCaptionTitle = "  Tervane V2.0    ";
inline const std::string kOpenFilter = "All Files (*.*)|*.*|Contour(*.D3D)|*.D3D";
// A notice of the program's own: the background picture no longer loads.
inline const std::string kPictureGone = "背景图片无法再载入,已不再使用: ";

} // namespace tervane::text
