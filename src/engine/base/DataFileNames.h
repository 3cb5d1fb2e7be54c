#pragma once
#include <string>

namespace tervane {

// The name of a file that belongs to a data file: the data file's own name
// up to its first "." followed by `ending`, in the data file's folder.
// `ending` carries its own separator (".PLT", ".BMP", "_D3D.BMP"):
//   /data/my.survey/site.D3D + ".PLT" -> /data/my.survey/site.PLT
//   a.b.D3D + ".PLT"                  -> a.PLT
//   site + ".BMP"                     -> site.BMP
// Only the part after the last "/" is cut, so a dotted folder neither moves
// the file out of the data folder nor makes two surveys share one name.
std::string derivedName(const std::string& dataPath, const std::string& ending);

} // namespace tervane
