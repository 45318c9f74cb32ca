#pragma once
// The file system as tests need it: a small disk of its own that can be
// filled, and the rights of an ordinary user for a while.

#include <QString>

// A tmpfs of 'kib' KiB mounted on 'carpeta' (which must exist) when the
// tests run as root; Montado() false otherwise, with the reason.
class DiscoPequeno {
public:
    DiscoPequeno(const QString &carpeta, int kib);
    ~DiscoPequeno();
    DiscoPequeno(const DiscoPequeno &) = delete;
    DiscoPequeno &operator=(const DiscoPequeno &) = delete;
    bool Montado() const { return montado_; }
    const QString &Motivo() const { return motivo_; }
    // Takes every free byte into a file named ".relleno".
    void Llenar();

private:
    QString carpeta_, motivo_;
    bool montado_ = false;
};

// For its life, the effective user and group are nobody's (65534) when the
// tests run as root, so that permissions apply; nothing changes otherwise.
class ComoOtroUsuario {
public:
    ComoOtroUsuario();
    ~ComoOtroUsuario();
    ComoOtroUsuario(const ComoOtroUsuario &) = delete;
    ComoOtroUsuario &operator=(const ComoOtroUsuario &) = delete;
    static bool EsRoot();
    // The user files should belong to, to be that user's own.
    static unsigned Uid();

private:
    bool cambiado_ = false;
};
