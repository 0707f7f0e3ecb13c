#pragma once

// Shared by both sides of bench_demarrage, the program's and the bare one (Qt Core only: the bare side
// links nothing of the program): what each prints when its main window is shown and painted.
#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QtGlobal>
#include <cstdio>
#include <ctime>

inline qint64 maintenantNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The shared libraries mapped in this process.
inline int bibliotheques() {
    QFile f(QStringLiteral("/proc/self/maps"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    QSet<QByteArray> noms;
    for (const QByteArray& l : f.readAll().split('\n')) {
        const qsizetype i = l.indexOf('/');
        if (i >= 0 && l.contains(".so"))
            noms.insert(l.mid(i));
    }
    return static_cast<int>(noms.size());
}

// The nanoseconds since BENCH_T0 (CLOCK_MONOTONIC, read by the parent just before it started this
// process) and the libraries mapped, on one line of standard output.
inline void signalerFenetreMontree() {
    const qint64 t = maintenantNs() - qEnvironmentVariable("BENCH_T0").toLongLong();
    std::printf("%lld %d\n", static_cast<long long>(t), bibliotheques());
    std::fflush(stdout);
}
