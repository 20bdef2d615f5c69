#pragma once
// The settings file KORVELLE.INI: one table of every key the program reads or writes, and the
// typed values the preview starts from.
//
// The table is the single home of sections, keys, types and defaults; loadPreviewSettings walks
// it in reading order. Values are read faithfully: an odd value (a zero soft-zoom step, a
// language of 250) is handed on as it stands and the preview decides what to make of it.
#include <QString>
#include <span>
#include <variant>
#include <vector>

namespace kv {

enum class SettingType { Flag, Number, Text, Color };

// The values the preview starts from. Only loadPreviewSettings gives them meaning: the
// defaults live in the key table below, nowhere else.
struct PreviewSettings {
    bool lNoBorder = false;
    bool lMaximize = false;
    bool lMultiPrev = false;
    bool lPageBorder = false;
    bool lZoomAtStart = false;
    bool lSetParent = false;
    double nPageBorStyle = 0;
    double nShadow_Deep = 0;
    double nShadow_Width = 0;
    QString cAppName;
    QString cIcon;
    bool lShowSendTo = false;
    double nSoftZoom = 0;
    long long nBackClr = 0;
    long long nShadow_Color = 0;
    long long nPageBorColor = 0;
    double nLanguage = 0;
    // Nine factors: 1.0, then the eight keys of section Zoom (a missing, empty, zero or
    // non-numeric key n gives n + 1).
    std::vector<double> aZoomFactor;
    bool lEmfPlus = true;  // draw pages' EMF+ records where they have them
    double nWindowLeft = 0, nWindowTop = 0;     // the window's last normal geometry
    double nWindowWidth = 0, nWindowHeight = 0;  // 0: none kept
    double nViewPages = 1;                       // pages shown at once when it last closed
    bool lThumbnails = false;                    // the thumbnail panel is shown
};

// Where a key's value goes in PreviewSettings. Zoom keys name their slot in aZoomFactor; keys
// the preview does not read at start (section Save2File) have no target.
struct ZoomSlot {
    int index;  // 1 … 8
};
using SettingTarget = std::variant<std::monostate, bool PreviewSettings::*,
                                   double PreviewSettings::*, QString PreviewSettings::*,
                                   long long PreviewSettings::*, ZoomSlot>;

struct SettingKey {
    const char* section;
    const char* key;
    SettingType type;
    const char* defaultText;   // stands in for a missing key
    long long colorDefault;    // Color keys: what an empty value gives
    SettingTarget target;
};

// Every key, in the order the program reads them: the preview's keys first (section General,
// SendTo, Zoom), then the Save as dialog's section Save2File.
// The window's state (WindowLeft ... Thumbnails of section General) is written back when the
// window closes (preview/windowstate.h).
std::span<const SettingKey> settingsKeys();

// The table row of a key (matched without regard to case); nullptr when there is none.
const SettingKey* findSettingKey(const QString& section, const QString& key);

// Reads every preview key of the settings file at iniPath in reading order. A missing file
// gives every default.
PreviewSettings loadPreviewSettings(const QString& iniPath);

} // namespace kv
