#pragma once
#include "engine/state/RunContext.h"

#include <string>

namespace tervane {

namespace picturetext {
// Insert picture's dialog filter; PNG and TIFF are read as well.
inline const std::string kOpenFilter =
    "All Files (*.*)|*.*|bitmap Files(*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg;*.jpeg|GIF Files (*.gif)|*.gif|"
    "PNG Files (*.png)|*.png|TIFF Files (*.tif)|*.tif;*.tiff|";
inline const std::string kSaveNoFile = "保存图形总是用已打开的文件名存储。文件没打开不能保存！";
inline const std::string kSaveQuestionStart = "按[是]键，将屏幕图形用已打开的等值线文件名存储为 ";
inline const std::string kSaveQuestionEnd = " 文件。  若按［否］则不保存。";
// The question's title bar is blank: an empty title would give the
// program's own.
inline const std::string kBlankTitle = " ";
// The program's own notices and refusals.
inline const std::string kNotRemembered =
    "图片路径超过 100 字节,本次可以使用,但下次启动时不会记住它.";
inline const std::string kMemoNotWritten = "无法写入 photofiles1.txt,下次启动时不会记住这幅图片.";
inline const std::string kPictureNotLoaded = "图片无法载入: ";
inline const std::string kSaved = "图形已存为 ";
inline const std::string kSaveFailed = "图形没有存储,无法写入文件: ";
inline const std::string kSaveOverData = "图形没有存储: 这个名字就是打开的数据文件: ";
} // namespace picturetext

// The saved drawing's size in pixels: what the drawing area shows of a
// standard picture.
inline constexpr int kPictureWidth = 626;
inline constexpr int kPictureHeight = 497;

// 插图: the open dialog, the picture loaded under the drawing, the name
// remembered in photofiles1.txt, and the network built again in the
// picture's frame when a file is open. A cancelled dialog or a file that is
// no picture changes nothing.
void insertPicture(RunContext& ctx);

// 清图: the picture removed and forgotten, the area filled with the
// background colour, and the network built again in the plain frame when a
// file is open.
void clearPicture(RunContext& ctx);

// 清屏: everything drawn is erased and the picture stays; a picture the
// record editor reloaded from photofiles1.txt is loaded again, which also
// removes a saved drawing that had become the area's picture.
void clearScreen(RunContext& ctx);

// 存图: the drawing's top-left 626 x 497 pixels become the area's picture,
// and, when the user says yes, are saved as a BMP beside the data file
// (site.D3D gives site.BMP). Never over the data file itself.
void savePicture(RunContext& ctx);

} // namespace tervane
