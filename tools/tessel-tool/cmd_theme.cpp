// tessel-tool theme FOLDER: loads a theme folder as the program does and prints what it defines,
// one tab-separated line each (the fonts after the derived rules: font-day2's size and italic
// come from font-day, font-daynow is font-day in its own colour):
//
//   font-NAME   FACE  SIZE  #RRGGBB  bold|-  italic|-
//   title-color #RRGGBB
//   background  FILE  WIDTHxHEIGHT          or   background  none
//   band        SIDE  LEN  MARGIN1  MARGIN2  horz|-
#include <cstdio>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "command.h"
#include "ui/skin.h"
#include "ui/theme.h"

namespace {

std::string Hex(tessel::TColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color & 255), unsigned((color >> 8) & 255),
                  unsigned((color >> 16) & 255));
    return text;
}

void PrintFont(const char* element, const tessel::TCalFont& font) {
    std::printf("%s\t%s\t%d\t%s\t%s\t%s\n", element, font.Name.c_str(), int(font.Size), Hex(font.Color).c_str(),
                font.Bold ? "bold" : "-", font.Italic ? "italic" : "-");
}

void PrintBand(const char* side, const tessel::TSkinBand& band) {
    std::printf("band\t%s\t%d\t%d\t%d\t%s\n", side, int(band.Len), int(band.Margin1), int(band.Margin2),
                band.Horz ? "horz" : "-");
}

int RunTheme(const std::vector<std::string>& args) {
    if (args.size() != 1) throw tessel::tool::UsageError();
    std::string folder = args[0];
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    const size_t cut = folder.find_last_of("/\\");
    const std::string root = cut == std::string::npos ? "." : folder.substr(0, cut);
    const std::string name = cut == std::string::npos ? folder : folder.substr(cut + 1);

    tessel::TTheme theme;
    theme.ThemeRoot = tessel::Utf8ToUtf16(root + "/");
    theme.Load(tessel::Utf8ToUtf16(name));
    if (theme.Doc->ChildCount() == 0)
        throw tessel::EError("no theme description \"profile.xml\" in " + args[0]);
    tessel::TSkin skin;
    skin.Load(theme);

    PrintFont("font-event", theme.EventFont);
    PrintFont("font-date", theme.DateFont);
    PrintFont("font-week", theme.WeekFont);
    PrintFont("font-day", theme.DayFont);
    PrintFont("font-day2", theme.Day2Font);
    PrintFont("font-weekno", theme.WeekNoFont);
    PrintFont("font-daynow", theme.DayNowFont);
    PrintFont("font-title", theme.TitleFont);
    std::printf("title-color\t%s\n", Hex(theme.TitleColor).c_str());
    if (theme.Background.Empty())
        std::printf("background\tnone\n");
    else
        std::printf("background\t%s\t%dx%d\n", tessel::Narrow(theme.Doc->ReadValue(u"background/image")).c_str(),
                    int(theme.Background.Width), int(theme.Background.Height));
    PrintBand("left", skin.LeftBand);
    PrintBand("right", skin.RightBand);
    PrintBand("top", skin.TopBand);
    PrintBand("bottom", skin.BottomBand);
    return 0;
}

const tessel::tool::Registration kTheme{
    "theme",
    "theme FOLDER   prints the theme's lines: font-NAME FACE SIZE #RRGGBB bold|- italic|-; title-color #RRGGBB; "
    "background FILE WxH|none; band SIDE LEN MARGIN1 MARGIN2 horz|- (tab-separated)",
    RunTheme};

}  // namespace
