// The writer where a file can be lost: written in place with a failure at
// every step, the replaced file's permissions, owner and links, leftovers of
// killed saves, and the reason the user reads when the disk or the
// temporary folder is at fault.

#include "support/inyeccion/inyeccion.h"
#include "support/texto.h"
#include "platform/files.h"
#include "support/sistema.h"

#include <QTemporaryDir>

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <utime.h>

using Inyeccion::Llamada;
using Inyeccion::Regla;

namespace {

QByteArray Patron(int n, char semilla)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i) b[i] = char(semilla + i % 251);
    return b;
}

QByteArray Nativo(const QString &ruta) { return QFile::encodeName(ruta); }

struct stat Estado(const QString &ruta)
{
    struct stat st {};
    EXPECT_EQ(::lstat(Nativo(ruta).constData(), &st), 0) << ruta.toStdString();
    return st;
}

const QString kEIO = "Error de lectura o escritura en el disco";

// A folder that takes no new file (creating one beside the target is
// refused, as for an ordinary user), and a temporary folder of its own.
class EnSitio : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString carpeta = dir.filePath("cerrada"), temporal = dir.filePath("tmp"), destino = carpeta + "/destino.bin";
    const Regla cerrada{Llamada::Abrir, Nativo(carpeta + "/."), 1, EACCES, true};
    void SetUp() override { QDir().mkpath(temporal); }
    QStringList Copias() const { return QDir(temporal).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

TEST_F(EnSitio, UnFalloEnCadaPasoDejaElFicheroViejoOLoDice)
{
    const TemporalEn tmp(temporal);
    const QByteArray meta = Nativo(destino);
    // Content larger than one copy block, so a failure can fall between two.
    for (auto [viejoN, nuevoN] : {std::pair{90000, 200000}, {200000, 90000}}) {
        const QByteArray viejo = Patron(viejoN, 'v'), nuevo = Patron(nuevoN, 'n');
        enum Final { Intacto, Escrito, Copia };
        const struct {
            const char *paso;
            Regla regla;
            Final final;
            QString mensaje; // the copy's path follows when one is kept
        } casos[] = {
            {"first write", {Llamada::Escribir, meta, 1, ENOSPC}, Intacto,
             "No queda espacio en el disco. El fichero conserva su contenido anterior."},
            {"second write", {Llamada::Escribir, meta, 2, EIO}, Intacto, kEIO + ". El fichero conserva su contenido anterior."},
            {"truncate", {Llamada::Truncar, meta, 1, EIO}, Intacto, kEIO + ". El fichero conserva su contenido anterior."},
            {"sync", {Llamada::Sincronizar, meta, 1, EIO}, Escrito,
             "El fichero se ha escrito, pero el disco no confirmó la escritura (" + kEIO +
                 "). Queda una copia del contenido anterior en "},
            {"close", {Llamada::Cerrar, meta, 1, EIO}, Escrito,
             "El fichero se ha escrito, pero el disco no confirmó la escritura (" + kEIO +
                 "). Queda una copia del contenido anterior en "},
            {"write and the copy back", {Llamada::Escribir, meta, 2, EIO, true}, Copia,
             kEIO + ". No se pudo reponer el contenido anterior (" + kEIO + "): queda una copia en "},
            {"truncate and the copy back", {Llamada::Truncar, meta, 1, EIO, true}, Copia,
             kEIO + ". No se pudo reponer el contenido anterior (" + kEIO + "): queda una copia en "},
            // No room for the copy or the new content: nothing is touched,
            // and the full disk named is the temporary folder's.
            {"copy", {Llamada::Escribir, Nativo(temporal + "/zolv_copia_destino.bin_"), 1, ENOSPC}, Intacto,
             "No se pudo copiar el fichero antes de escribirlo: No queda espacio en el disco de la carpeta temporal " + temporal},
            {"new content", {Llamada::Escribir, Nativo(temporal + "/zolv_escritura_"), 1, ENOSPC}, Intacto,
             "No queda espacio en el disco de la carpeta temporal " + temporal},
        };
        for (const auto &c : casos) {
            SCOPED_TRACE(std::string(c.paso) + (nuevoN > viejoN ? ", growing" : ", shrinking"));
            Poner(destino, viejo);
            QString error;
            {
                const Inyeccion::Fallos fallos({cerrada, c.regla});
                EXPECT_FALSE(Archivos::EscribirAtomico(destino, nuevo, &error));
                EXPECT_GT(fallos.Vistas(1), 0);
            }
            const QStringList copias = Copias();
            if (c.final == Intacto) {
                EXPECT_EQ(error, c.mensaje);
                EXPECT_EQ(Leer(destino), viejo);
                EXPECT_EQ(copias, QStringList());
            } else {
                ASSERT_EQ(copias.size(), 1);
                const QString copia = temporal + '/' + copias[0];
                EXPECT_EQ(error, c.mensaje + copia);
                EXPECT_EQ(Leer(copia), viejo);
                if (c.final == Escrito) {
                    EXPECT_EQ(Leer(destino), nuevo);
                }
                QFile::remove(copia);
            }
        }
        // And with nothing failing, the new content and nothing left over.
        const Inyeccion::Fallos fallos({cerrada});
        EXPECT_TRUE(Archivos::EscribirAtomico(destino, nuevo));
        EXPECT_EQ(Leer(destino), nuevo);
        EXPECT_TRUE(Copias().isEmpty());
        EXPECT_EQ(QDir(carpeta).entryList(QDir::Files | QDir::Hidden), QStringList{"destino.bin"});
    }
}

TEST_F(EnSitio, UnaCarpetaTemporalInservibleOSinNombresLibres)
{
    Poner(destino, "viejo");
    QString error;
    {
        const TemporalEn tmp(dir.filePath("no-esta"));
        const Inyeccion::Fallos fallos({cerrada});
        EXPECT_FALSE(Archivos::EscribirAtomico(destino, "nuevo", &error));
    }
    EXPECT_EQ(error, "No se puede usar la carpeta temporal " + dir.filePath("no-esta") + ": No existe la carpeta o el fichero");
    // Every name taken, beside the target or in the temporary folder.
    const TemporalEn tmp(temporal);
    for (const QString &donde : {carpeta, temporal}) {
        const Regla llenos{Llamada::Abrir, Nativo(donde + '/'), 1, EEXIST, true};
        const Inyeccion::Fallos fallos(donde == carpeta ? std::vector{llenos} : std::vector{cerrada, llenos});
        EXPECT_FALSE(Archivos::EscribirAtomico(destino, "nuevo", &error));
        EXPECT_EQ(error, "No quedan nombres libres para un fichero temporal en " + donde);
    }
    EXPECT_EQ(Leer(destino), "viejo");
    EXPECT_TRUE(Copias().isEmpty());
}

TEST(Reemplazo, DiscoDeSoloLecturaYCarpetaTemporalLlena)
{
    QTemporaryDir dir;
    const QString disco = dir.filePath("disco"), temporal = dir.filePath("temporal");
    QDir().mkpath(disco), QDir().mkpath(temporal);
    DiscoPequeno ro(disco, 64), lleno(temporal, 16);
    if (!ro.motivo.isEmpty()) GTEST_SKIP() << ro.motivo.toStdString();
    // A file on a read-only mount: the disk is read-only, not the file.
    const QString fijo = Poner(disco + "/fijo.bin", "viejo");
    ASSERT_TRUE(ro.SoloLectura());
    QString error;
    EXPECT_FALSE(Archivos::EscribirAtomico(fijo, "nuevo", &error));
    EXPECT_EQ(error, "El disco es de solo lectura");
    EXPECT_EQ(Leer(fijo), "viejo");

    // Written in place with the temporary folder full: the full disk named
    // is the temporary folder's.
    const QString destino = Poner(dir.filePath("cerrada/destino.bin"), Patron(30000, 'v'));
    lleno.Llenar();
    const TemporalEn tmp(temporal);
    const Inyeccion::Fallos fallos({{Llamada::Abrir, Nativo(dir.filePath("cerrada/.")), 1, EACCES, true}});
    EXPECT_FALSE(Archivos::EscribirAtomico(destino, Patron(30000, 'n'), &error));
    EXPECT_EQ(error, "No queda espacio en el disco de la carpeta temporal " + temporal);
    EXPECT_EQ(Leer(destino), Patron(30000, 'v'));
}

TEST(Reemplazo, PermisosDuenoUmaskYEnlacesRelativos)
{
    QTemporaryDir dir;
    // The replaced file keeps its permissions and, where root may give it
    // away, its owner.
    const QString viejo = Poner(dir.filePath("viejo.bin"), "viejo", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(Nativo(viejo).constData(), 65534, 65533), 0);
    }
    ASSERT_TRUE(Archivos::EscribirAtomico(viejo, "nuevo"));
    const struct stat st = Estado(viejo);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(65534u, 65533u));
    }
    EXPECT_EQ(Leer(viejo), "nuevo");

    // A new file gets what the umask leaves of rw for all.
    const mode_t antes = ::umask(0);
    for (mode_t m : {022, 077, 0, 026}) {
        ::umask(m);
        const QString nuevo = dir.filePath(QString("nuevo%1.bin").arg(m));
        ASSERT_TRUE(Archivos::EscribirAtomico(nuevo, "x"));
        EXPECT_EQ(Estado(nuevo).st_mode & 07777, 0666u & ~m) << "umask " << m;
    }
    ::umask(antes);

    // Relative links, read from their own folder (not the working one),
    // written through a chain to the file at its end; the links stay.
    QDir().mkpath(dir.filePath("a")), QDir().mkpath(dir.filePath("b/datos"));
    const QString real = Poner(dir.filePath("b/datos/real.bin"), "viejo");
    ASSERT_EQ(::symlink("../b/medio", Nativo(dir.filePath("a/enlace")).constData()), 0);
    ASSERT_EQ(::symlink("datos/real.bin", Nativo(dir.filePath("b/medio")).constData()), 0);
    ASSERT_TRUE(Archivos::EscribirAtomico(dir.filePath("a/enlace"), "a traves"));
    EXPECT_EQ(Leer(real), "a traves");
    EXPECT_EQ(QFileInfo(dir.filePath("a/enlace")).symLinkTarget(), QFileInfo(dir.filePath("b/medio")).absoluteFilePath());
    EXPECT_EQ(QFile::symLinkTarget(dir.filePath("b/medio")), real);
    EXPECT_EQ(QDir(dir.filePath("a")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot), QStringList{"enlace"});
    EXPECT_EQ(QDir(dir.filePath("b/datos")).entryList(QDir::Files | QDir::Hidden), QStringList{"real.bin"});
}

TEST(Reemplazo, RestosDeGuardadosInterrumpidos)
{
    QTemporaryDir dir;
    const time_t ahora = ::time(nullptr);
    // Those of this file's own naming older than an hour go; a recent one
    // (a save running now), another file's, and other names stay.
    const struct { const char *nombre; time_t edad; bool queda; } restos[] = {
        {".x.png.AbC123.tmp", 7200, false}, {".x.png.q9Z0aa.tmp", 3700, false}, {".x.png.Zz9999.tmp", 600, true},
        {".y.png.AbC123.tmp", 7200, true},  {".x.png.AbC12.tmp", 7200, true},   {".x.png.AbC-23.tmp", 7200, true},
        {"x.png.AbC123.tmp", 7200, true},
    };
    QStringList quedan{"x.png"};
    for (const auto &r : restos) {
        const QString ruta = Poner(dir.filePath(r.nombre), "resto");
        const utimbuf t{ahora - r.edad, ahora - r.edad};
        ASSERT_EQ(::utime(Nativo(ruta).constData(), &t), 0);
        if (r.queda) quedan << r.nombre;
    }
    ASSERT_TRUE(Archivos::EscribirAtomico(dir.filePath("x.png"), "png"));
    QStringList hay = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    hay.sort(), quedan.sort();
    EXPECT_EQ(hay, quedan);
}
