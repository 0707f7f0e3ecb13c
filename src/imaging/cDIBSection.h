#pragma once

#include <QImage>
#include <QtGlobal>
#include <memory>

class QPainter;

// Raster operations of the blits (the high word is the three-operand truth table, the brush being white).
namespace OperationRaster {
constexpr quint32 SRCCOPY = 0x00CC0020;
constexpr quint32 SRCPAINT = 0x00EE0086;
constexpr quint32 SRCAND = 0x008800C6;
constexpr quint32 SRCINVERT = 0x00660046;
constexpr quint32 NOTSRCCOPY = 0x00330008;
constexpr quint32 BLACKNESS = 0x00000042;
constexpr quint32 WHITENESS = 0x00FF0062;
constexpr quint32 DSTINVERT = 0x00550009;
} // namespace OperationRaster

// Header of the bitmap, laid out as the 40-byte device-independent bitmap header.
struct EnTeteBitmap {
    quint32 biSize = 40;
    qint32 biWidth = 0;
    qint32 biHeight = 0; // positive: rows stored bottom-up
    quint16 biPlanes = 1;
    quint16 biBitCount = 24;
    quint32 biCompression = 0; // uncompressed RGB
    quint32 biSizeImage = 0;
    qint32 biXPelsPerMeter = 0;
    qint32 biYPelsPerMeter = 0;
    quint32 biClrUsed = 0;
    quint32 biClrImportant = 0;
};

// One 24-bit bitmap: blue-green-red bytes, rows bottom-up (row 0 in memory is the bottom row of the
// picture), each row padded to a multiple of 4 bytes, in one buffer whose address stays the same from
// Create to ClearUp. Pictures come in and go out as QImage (or through a QPainter) at the edges.
class cDIBSection {
public:
    cDIBSection() = default;
    ~cDIBSection();
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;

    // Puts a copy of the bitmap on the clipboard; true when the clipboard gives back a picture of the
    // same size. As DIB it refuses with a message box.
    bool CopyToClipboard(bool AsDIB = false);
    // Fills the header and makes the pixel buffer; the context is not needed by a 24-bit bitmap and is
    // only kept for symmetry. False for an empty, negative or too large size.
    bool CreateDIB(quintptr lHDC, qint32 lWidth, qint32 lHeight, quintptr& hDibOut);
    // Creates a bitmap of the picture's size and copies the picture in.
    void CreateFromPicture(const QImage& picture);
    bool Create(qint32 lWidth, qint32 lHeight);
    qint32 BytesPerScanLine() const;
    qint32 Width() const { return m_info.biWidth; }
    qint32 Height() const { return m_info.biHeight; }
    // Copies from the source into this bitmap at (0, 0); a negative width or height means this bitmap's.
    void LoadPictureBlt(const QImage& source, qint32 lSrcLeft = 0, qint32 lSrcTop = 0, qint32 lSrcWidth = -1,
                        qint32 lSrcHeight = -1, quint32 eRop = OperationRaster::SRCCOPY);
    void LoadPictureBlt(const cDIBSection& source, qint32 lSrcLeft = 0, qint32 lSrcTop = 0,
                        qint32 lSrcWidth = -1, qint32 lSrcHeight = -1,
                        quint32 eRop = OperationRaster::SRCCOPY);
    // Copies this bitmap to the target at (lLeft, lTop). A target image that is not 32-bit is turned into
    // Format_RGB32 first. A painter takes SRCCOPY, SRCPAINT, SRCAND, SRCINVERT and NOTSRCCOPY only, and
    // answers false for any other operation.
    void PaintPicture(QImage& target, qint32 lLeft = 0, qint32 lTop = 0, qint32 lWidth = -1,
                      qint32 lHeight = -1, qint32 lSrcLeft = 0, qint32 lSrcTop = 0,
                      quint32 eRop = OperationRaster::SRCCOPY) const;
    bool PaintPicture(QPainter& target, qint32 lLeft = 0, qint32 lTop = 0, qint32 lWidth = -1,
                      qint32 lHeight = -1, qint32 lSrcLeft = 0, qint32 lSrcTop = 0,
                      quint32 eRop = OperationRaster::SRCCOPY) const;
    quintptr hdc() const { return m_hdc; }
    quintptr hDib() const { return m_hDib; }
    uchar* DIBSectionBitsPtr() const { return m_bits; }
    void RandomiseBits(bool bGray = false);
    void ClearUp();
    // A new bitmap of the given size (height first), or nullptr when it cannot be created. This one is
    // left unchanged.
    std::unique_ptr<cDIBSection> Resample(qint32 lNewHeight, qint32 lNewWidth) const;

    // The header as it stands (zero sizes when there is no bitmap).
    const EnTeteBitmap& InfoBitmap() const { return m_info; }
    // The picture as a top-down image (Format_RGB888), null when there is no bitmap.
    QImage versImage() const;

    // Row size in bytes for a width: (width * 3 + 3) with the two low bits cleared. Throws the overflow
    // error when that does not fit a 32-bit whole number.
    static qint32 octetsParLigne(qint32 largeur);

private:
    void ResampleDib(cDIBSection& cDibTo) const;
    uchar* ligne(qint32 rangeeMemoire) const {
        return m_bits + qsizetype(rangeeMemoire) * BytesPerScanLine();
    }
    void liberer();

    EnTeteBitmap m_info;
    quintptr m_hdc = 0;
    quintptr m_hDib = 0;
    uchar* m_bits = nullptr;
};
