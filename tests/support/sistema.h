#pragma once
// The file system as tests need it: whole files read and written, a small
// disk that can be filled, and an ordinary user's rights for a while.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <gtest/gtest.h>

// A file's bytes; "(no existe)" when it cannot be read, so that a missing
// file never equals an empty one.
inline QByteArray Leer(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no existe)");
}
// Writes the bytes (and its folder when missing), then the permissions
// when given; the path.
inline QString Poner(const QString &ruta, const QByteArray &bytes, QFileDevice::Permissions permisos = {})
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) ADD_FAILURE() << "cannot write " << ruta.toStdString();
    if (permisos) f.setPermissions(permisos);
    return ruta;
}

// n bytes of a pattern that no two offsets within 251 share.
inline QByteArray PatronBytes(int n, char semilla)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) b[i] = char(semilla + i % 251);
    return b;
}

// Sets a file's times 'segundos' into the past.
void Envejecer(const QString &ruta, long segundos = 7200);

// A tmpfs of 'kib' KiB on 'carpeta' while it lives (root only: otherwise
// motivo says why not).
struct DiscoPequeno {
    DiscoPequeno(const QString &carpeta, int kib);
    ~DiscoPequeno();
    // Takes every free byte, into ".relleno".
    void Llenar() const;
    // Mounts it again read-only; false when it could not.
    bool SoloLectura() const;
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

// While it lives, the system's temporary folder is this one.
struct TemporalEn {
    explicit TemporalEn(const QString &carpeta) : antes(qgetenv("TMPDIR")) { qputenv("TMPDIR", QFile::encodeName(carpeta)); }
    ~TemporalEn() { qputenv("TMPDIR", antes); }
    QByteArray antes;
};

// While it lives, the user's data folder (the program's kept copies and
// scratch files) is this one.
struct DatosEn {
    explicit DatosEn(const QString &carpeta) : antes(qgetenv("XDG_DATA_HOME")) { qputenv("XDG_DATA_HOME", QFile::encodeName(carpeta)); }
    ~DatosEn() { qputenv("XDG_DATA_HOME", antes); }
    QByteArray antes;
};

// While it lives, the settings store lives in this folder.
struct AlmacenEn {
    explicit AlmacenEn(const QString &carpeta);
    ~AlmacenEn();
};
