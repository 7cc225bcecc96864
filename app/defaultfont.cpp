#include "defaultfont.h"

#include <cstring>

#include "inifile.h"

void LoadDefaultFont(LOGFONTA* font) {
  if (!font) return;
  constexpr const char* kSection = "Default Font";
  std::memset(font, 0, sizeof *font);
  font->lfHeight = IniGetInt(kSection, "Height", 0);
  font->lfWidth = IniGetInt(kSection, "Width", 0);
  font->lfEscapement = IniGetInt(kSection, "Escapement", 0);
  font->lfOrientation = IniGetInt(kSection, "Orientation", 0);
  font->lfWeight = IniGetInt(kSection, "Weight", 0);
  font->lfItalic = static_cast<BYTE>(IniGetInt(kSection, "Italic", 0));
  font->lfUnderline = static_cast<BYTE>(IniGetInt(kSection, "Underline", 0));
  font->lfStrikeOut = static_cast<BYTE>(IniGetInt(kSection, "StrikeOut", 0));
  font->lfCharSet = static_cast<BYTE>(IniGetInt(kSection, "CharSet", 0));
  font->lfOutPrecision = static_cast<BYTE>(IniGetInt(kSection, "OutPrecision", 0));
  font->lfClipPrecision = static_cast<BYTE>(IniGetInt(kSection, "ClipPrecision", 0));
  font->lfQuality = static_cast<BYTE>(IniGetInt(kSection, "Quality", 0));
  font->lfPitchAndFamily = static_cast<BYTE>(IniGetInt(kSection, "PitchAndFamily", 0));
  IniGetString(kSection, "FaceName", "", font->lfFaceName, LF_FACESIZE);
}
