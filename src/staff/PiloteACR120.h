#pragma once

#include <QtGlobal>
#include <array>

// What one listing of the contactless reader fills: the tag count, then per tag its type and the
// length of its serial number, the serial numbers from index tag x 10.
struct TamponsTags {
    quint8 nombre = 0;
    std::array<quint8, 51> types{};
    std::array<quint8, 51> longueurs{};
    std::array<quint8, 451> series{};
};

// The contactless reader's library: its three calls, with the maker's results (a handle of zero or
// more, or a negative code). A driver never writes outside the buffers it is handed.
class PiloteACR120 {
public:
    // The maker's codes the drivers answer.
    static constexpr qint16 ErreurInterne = -1000;
    static constexpr qint16 PortInvalide = -2000;
    static constexpr qint16 PortOccupe = -2010;
    static constexpr qint16 HandleInvalide = -2020;
    static constexpr qint16 OperationEchouee = -3030;

    virtual ~PiloteACR120() = default;
    // Opens the reader of a port: its handle, or a negative code.
    virtual qint16 ACR120_Open(qint16 port) = 0;
    // Lists the tags in the field: a status (negative on failure) and, on success, the buffers.
    virtual qint16 ACR120_ListTags(qint16 handle, TamponsTags& tampons) = 0;
    virtual void ACR120_Close(qint16 handle) = 0;
};
