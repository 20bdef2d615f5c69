#include "platform/settings.h"

#include "platform/inifile.h"
#include "platform/inivalues.h"

#include <array>
#include <type_traits>

namespace kv {

namespace {

using P = PreviewSettings;
constexpr auto Flag = SettingType::Flag;
constexpr auto Number = SettingType::Number;
constexpr auto Text = SettingType::Text;
constexpr auto Color = SettingType::Color;

constexpr long long kGrey = 128 + 128 * 256 + 128 * 65536;

const std::array kKeys = {
    SettingKey{"General", "NoBorderMenubar", Flag, "0", 0, &P::lNoBorder},
    SettingKey{"General", "Maximize", Flag, "1", 0, &P::lMaximize},
    SettingKey{"General", "MultiPreview", Flag, "0", 0, &P::lMultiPrev},
    SettingKey{"General", "PageBorder", Flag, "0", 0, &P::lPageBorder},
    SettingKey{"General", "ZoomAtStart", Flag, "0", 0, &P::lZoomAtStart},
    SettingKey{"General", "SetParentWindow", Flag, "0", 0, &P::lSetParent},
    SettingKey{"General", "PageBorderStyle", Number, "2", 0, &P::nPageBorStyle},
    SettingKey{"General", "ShadowDepth", Number, "5", 0, &P::nShadow_Deep},
    SettingKey{"General", "ShadowWidth", Number, "5", 0, &P::nShadow_Width},
    SettingKey{"General", "ApplicationName", Text, "", 0, &P::cAppName},
    SettingKey{"General", "Icon", Text, "", 0, &P::cIcon},
    SettingKey{"SendTo", "ShowSendTo", Flag, "1", 0, &P::lShowSendTo},
    SettingKey{"Zoom", "SoftZoom", Number, "0.05", 0, &P::nSoftZoom},
    SettingKey{"General", "BackgroundColor", Color, "", kGrey, &P::nBackClr},
    SettingKey{"General", "ShadowColor", Color, "", 0, &P::nShadow_Color},
    SettingKey{"General", "PageBorderColor", Color, "", 0, &P::nPageBorColor},
    SettingKey{"General", "Language", Number, "1", 0, &P::nLanguage},
    SettingKey{"Zoom", "1", Number, "", 0, ZoomSlot{1}},
    SettingKey{"Zoom", "2", Number, "", 0, ZoomSlot{2}},
    SettingKey{"Zoom", "3", Number, "", 0, ZoomSlot{3}},
    SettingKey{"Zoom", "4", Number, "", 0, ZoomSlot{4}},
    SettingKey{"Zoom", "5", Number, "", 0, ZoomSlot{5}},
    SettingKey{"Zoom", "6", Number, "", 0, ZoomSlot{6}},
    SettingKey{"Zoom", "7", Number, "", 0, ZoomSlot{7}},
    SettingKey{"Zoom", "8", Number, "", 0, ZoomSlot{8}},
    // Pages with EMF+ records are drawn from them (0: from their GDI records, as Windows'
    // own preview draws them).
    SettingKey{"General", "EmfPlus", Flag, "1", 0, &P::lEmfPlus},
    // The window as it was last closed: its normal place and size (a width or height of 0:
    // none kept), the pages shown at once and the thumbnail panel. Written when it closes.
    SettingKey{"General", "WindowLeft", Number, "0", 0, &P::nWindowLeft},
    SettingKey{"General", "WindowTop", Number, "0", 0, &P::nWindowTop},
    SettingKey{"General", "WindowWidth", Number, "0", 0, &P::nWindowWidth},
    SettingKey{"General", "WindowHeight", Number, "0", 0, &P::nWindowHeight},
    SettingKey{"General", "ViewPages", Number, "1", 0, &P::nViewPages},
    SettingKey{"General", "Thumbnails", Flag, "0", 0, &P::lThumbnails},
    // The Save as dialog's own section; "Option" defaults to the first option of the chosen
    // format, which only the dialog knows, so its text default here is empty.
    SettingKey{"Save2File", "FileName", Text, "", 0, {}},
    SettingKey{"Save2File", "Overwrite", Flag, "1", 0, {}},
    SettingKey{"Save2File", "ZipFiles", Flag, "0", 0, {}},
    SettingKey{"Save2File", "Format", Text, "BMP - Windows Bitmap", 0, {}},
    SettingKey{"Save2File", "Option", Text, "", 0, {}},
    // Raster resolution of saved pages in dots per inch; not part of the dialog. Values
    // outside 72 to 1200 fall back to this default (export/imageexport.h).
    SettingKey{"Save2File", "Resolution", Number, "150", 0, {}},
};

// Stores one raw value into the member the key feeds, interpreted by the key's type.
void apply(PreviewSettings& settings, const SettingKey& key, const QString& raw)
{
    std::visit(
        [&](auto target) {
            using T = decltype(target);
            if constexpr (std::is_same_v<T, bool P::*>) {
                settings.*target = iniFlag(raw);
            } else if constexpr (std::is_same_v<T, double P::*>) {
                settings.*target = iniNumber(raw);
            } else if constexpr (std::is_same_v<T, QString P::*>) {
                settings.*target = raw;
            } else if constexpr (std::is_same_v<T, long long P::*>) {
                settings.*target = GetColor(raw, key.colorDefault);
            } else if constexpr (std::is_same_v<T, ZoomSlot>) {
                const double factor = iniNumber(raw);
                settings.aZoomFactor[size_t(target.index)] =
                    factor != 0 ? factor : double(target.index + 1);
            }
        },
        key.target);
}

} // namespace

std::span<const SettingKey> settingsKeys()
{
    return kKeys;
}

const SettingKey* findSettingKey(const QString& section, const QString& key)
{
    for (const SettingKey& row : kKeys) {
        if (section.compare(QLatin1String(row.section), Qt::CaseInsensitive) == 0
            && key.compare(QLatin1String(row.key), Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

PreviewSettings loadPreviewSettings(const QString& iniPath)
{
    const IniFile ini(iniPath);
    PreviewSettings settings;
    settings.aZoomFactor.assign(9, 1.0);
    for (const SettingKey& key : kKeys) {
        if (std::holds_alternative<std::monostate>(key.target)) continue;
        apply(settings, key,
              ini.readString(QLatin1String(key.section), QLatin1String(key.key),
                             QLatin1String(key.defaultText)));
    }
    return settings;
}

} // namespace kv
