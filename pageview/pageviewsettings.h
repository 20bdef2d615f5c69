#pragma once
// What a page view takes over when it is made: how the preview wants the paper drawn (its
// settings) and the printer the pages are laid out for.
#include "gdi/core/types.h"
#include "pageview/pageviewplacement.h"

#include <QString>

namespace kv {

// The paper's look, as the preview's settings give it.
struct PageViewLook {
    bool lPageBorder = true;
    gdi::ColorRef nPageBorColor = 0;
    int nShadow_Deep = 5;
    int nShadow_Width = 5;
    gdi::ColorRef nShadow_Color = 0;
    QString cMetaFormat = QStringLiteral("EMF");
    gdi::ColorRef nBackClr = 8421504;  // the window's background, shown where no paper is
};

struct PageViewSettings {
    PageViewLook look;
    PageViewPrinter printer;
};

} // namespace kv
