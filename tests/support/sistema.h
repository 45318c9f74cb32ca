#pragma once
// The file system as tests need it: a small disk that can be filled, and an
// ordinary user's rights for a while.

#include <QString>

// A tmpfs of 'kib' KiB on 'carpeta' while it lives (root only: otherwise
// Motivo() says why not).
struct DiscoPequeno {
    DiscoPequeno(const QString &carpeta, int kib);
    ~DiscoPequeno();
    QString Motivo() const { return motivo; }
    // Takes every free byte, into ".relleno".
    void Llenar() const;
    QString carpeta, motivo;
};

// While it lives, the effective user and group are nobody's (65534) when the
// tests run as root; nothing changes otherwise.
struct ComoOtroUsuario {
    ComoOtroUsuario();
    ~ComoOtroUsuario();
    // The owner that makes a file that user's own.
    static unsigned Uid();
    bool cambiado = false;
};
