#pragma once
// TPrinter: one printer device context with the printer's page geometry, drawing on paper (or
// into a PDF for the built-in "PDF File" printer) or spooling every page as an enhanced
// metafile for the preview.
//
// What the preview and the page view use:
//   hDC, hDCOut           integer HDCs (gdi/metafileapi.h dcFromHandle); 0 = none
//   aMeta, cDocument, cDir, lPrvModal, lMeta, nXOffset, nYOffset
//   nHorzRes() nVertRes() nHorzSize() nVertSize() nLogPixelX() nLogPixelY()
//   GetPhysPageSize() GetPrintingOffset() (both {x, y} pixels), GetModel(), GetOrientation()
//   SetLandscape() SetPortrait() End()
// Every query gives 0 without a device context; every drawing and page method then does
// nothing. The shared printer state (print/printerstate.h) is what the orientation and paper
// methods change.
#include "gdi/metafileapi.h"
#include "print/printerfont.h"
#include "print/unitconv.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace kv {

class PrinterContext;
struct PrinterState;

inline const QString kDefaultDocument = QStringLiteral("Tessaro Report");

class TPrinter {
public:
    // New: absent document "Tessaro Report"; lUser asks the user to choose the printer (the
    // chooser shows `choiceReason` when given: why it is asked); lMeta spools the pages; cModel
    // "name,driver,port" (or just a name) picks that printer.
    explicit TPrinter(const std::optional<QString>& cDocument = {}, bool lUser = false, bool lMeta = false,
                      const std::optional<QString>& cModel = {}, bool lPrvModal = false,
                      const QString& choiceReason = {});
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    HDC hDC = 0;
    HDC hDCOut = 0;
    QStringList aMeta;
    QString cDir;
    QString cDocument;
    std::optional<QString> cModel;
    int nPage = 0;
    int nXOffset = 0, nYOffset = 0;
    int nPad = 0;                 // 0 left, 1 right, 2 centred
    std::optional<int> nOrient;   // 1 portrait, 2 landscape
    bool lMeta = false;
    bool lStarted = false;
    bool lModified = false;
    bool lPrvModal = false;
    std::optional<PrinterFont> oFont;

    // --- life and pages -------------------------------------------------------------------
    void End();
    void StartPage();
    void EndPage();
    void Preview();
    void Rebuild();

    // --- shared state -----------------------------------------------------------------------
    void SetLandscape();
    void SetPortrait();
    int GetOrientation() const;
    QString GetModel() const;
    QString GetDriver() const;
    QString GetPort() const;
    void SetCopies(int nCopies);
    void SetDuplex(int nDuplex);            // DMDUP_*; 0: the printer's choice
    void SetSize(int nWidth, int nLength);  // tenths of a millimetre
    void SetPage(int nPaper);
    void SetBin(int nBin);
    void DraftMode(bool lOn = true);
    void Setup();
    void ResetDC();

    // --- geometry ---------------------------------------------------------------------------
    int nHorzRes() const;
    int nVertRes() const;
    int nHorzSize() const;
    int nVertSize() const;
    int nLogPixelX() const;
    int nLogPixelY() const;
    std::array<int, 2> GetPhysPageSize() const;    // GETPHYSPAGESIZE
    std::array<int, 2> GetPrintingOffset() const;  // GETPRINTINGOFFSET
    gdi::DeviceCaps caps() const;                  // all zeros without a device context
    PageGeometry geometry() const;

    // --- conversions --------------------------------------------------------------------------
    RowCol Cmtr2Pix(double& nRow, double& nCol) const;
    RowCol Inch2Pix(double& nRow, double& nCol) const;
    Rect4 CmRect2Pix(const Rect4& aRect) const;
    Rect4 mmRect2Pix(const Rect4& aRect) const;
    RowCol Pix2Mmtr(double nRow, double nCol) const;
    RowCol Pix2Inch(double nRow, double nCol) const;
    RowCol GetPhySize() const;

    // --- drawing (on hDCOut) ----------------------------------------------------------------
    void Say(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font = {},
             int unused = 0, std::optional<gdi::ColorRef> nClrText = {}, int nBkMode = gdi::TRANSPARENT,
             std::optional<int> nPadding = {});
    void CmSay(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font = {},
               int unused = 0, std::optional<gdi::ColorRef> nClrText = {}, int nBkMode = gdi::TRANSPARENT,
               std::optional<int> nPadding = {});
    void InchSay(double nRow, double nCol, const QString& cText, const std::optional<PrinterFont>& font = {},
                 int unused = 0, std::optional<gdi::ColorRef> nClrText = {}, int nBkMode = gdi::TRANSPARENT,
                 std::optional<int> nPadding = {});
    // A bitmap from a file, or from the resource file (a ":/" path); sizes 0 = the bitmap's own.
    void SayBitmap(double nRow, double nCol, const QString& xBitmap, int nWidth = 0, int nHeight = 0,
                   uint32_t nRaster = gdi::SRCCOPY);
    void SayImage(double nRow, double nCol, const QImage& oImage, int nWidth = 0, int nHeight = 0,
                  uint32_t nRaster = gdi::SRCCOPY);
    void SetPos(double nRow, double nCol);
    void Line(double nTop, double nLeft, double nBottom, double nRight, const gdi::ObjectPtr& oPen = {});
    void Box(double nTop, double nLeft, double nBottom, double nRight, const gdi::ObjectPtr& oPen = {});
    void FillRect(const Rect4& aRect, const gdi::ObjectPtr& oBrush);  // {top, left, bottom, right}
    PrinterFont SetFont(const std::optional<PrinterFont>& font = {});
    double GetTextWidth(const QString& cText, const std::optional<PrinterFont>& font = {});
    double GetTextHeight(const QString& cText, const std::optional<PrinterFont>& font = {});
    void CharSay(int nRow, int nCol, const QString& cText);
    int CharWidth();
    int CharHeight();
    void ImportEMF(const QString& cFile, bool lEmf = true);
    void ImportWMF(const QString& cFile);
    bool ImportRAW(const QString& cFile);

    // --- mapping of hDCOut --------------------------------------------------------------------
    void SetPixelMode();
    void SetTwipsMode();
    void SetLoInchMode();
    void SetHiInchMode();
    void SetLoMetricMode();
    void SetHiMetricMode();
    void SetIsotropicMode();
    void SetAnisotropicMode();
    void SetWindowExt(int nWidth, int nHeight);
    void SetViewPortExt(int nWidth, int nHeight);

private:
    void makeContext(const std::optional<QString>& model, bool user, const QString& choiceReason);
    bool remakeContext();
    void readOffsets();
    void changeState(const std::function<void(PrinterState&)>& change);
    void startJob();
    void finishJob();
    bool closeRecording();  // false when no recording was open or it could not be finished
    void deleteSpooledFiles();
    gdi::Dc* out() const;
    double measureText(const QString& text, const PrinterFont& font, bool height);

    std::unique_ptr<PrinterContext> context_;
    bool jobRefused_ = false;  // the job of this context could not start: do not retry per page
    // The user cancelled the choice of printer: no context is ever made for this device, so
    // that nothing is printed on a printer nobody chose.
    bool choiceCancelled_ = false;
};

// What Preview() hands a spooled device to (the in-process preview road). The default ends the
// device. An empty handler restores the default. A preview that outlives the call takes the
// device over: for a device of PRINTBEGIN, currentPrinter() gives its owner while the handler runs.
using PreviewHandler = std::function<void(TPrinter& device)>;
void setPreviewHandler(PreviewHandler handler);

} // namespace kv
