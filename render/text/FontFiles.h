#pragma once
// Where a font file the program names is found. The program asks for the platform vendor's
// fonts by file name; when the Windows fonts folder does not hold the named file, the free
// font that ships in the program's own fonts folder stands in for it:
//
//   mingliu.ttc (traditional Chinese)  -> uming.ttc       AR PL UMing (Debian fonts-arphic-uming)
//   MSGOTHIC.TTC (Japanese)            -> ipag.ttf        IPAGothic (Debian fonts-ipafont-gothic)
//   SSERIFE.FON (English, French)      -> DejaVuSans.ttf  DejaVu Sans (Debian fonts-dejavu-core)
//
// Names are compared without regard to case, as the Windows file system does. The build
// copies the three free fonts into <program dir>/fonts (render/CMakeLists.txt).

#include <string>
#include <string_view>

namespace likenex {

// The file name of the free font that stands in for a vendor font; "" for other names.
[[nodiscard]] std::wstring_view standInFontFile(std::wstring_view fontFile);

// windowsFonts/fontFile when that file exists, else programFonts/<stand-in> when the name has
// a stand-in and that file exists, else "". Both folders end with a path separator.
[[nodiscard]] std::wstring resolveFontPathIn(std::wstring_view fontFile, const std::wstring& windowsFonts,
                                             const std::wstring& programFonts);

}  // namespace likenex
