// Every writer (curve export, chart, processed image, settings) on a full
// disk, through a symbolic link, onto a read-only file and into a folder that
// refuses new files: the old file is never damaged, the user reads the
// system's reason, and no temporary file is left behind. Then the writer
// where a file can be lost: written in place with a failure at every step,
// the replaced file's permissions, owner and links, and leftovers of killed
// saves.

#include "curves/archivoscurva.h"
#include "imaging/guardar.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/imagen.h"
#include "support/inyeccion/inyeccion.h"
#include "support/scripted.h"
#include "support/texto.h"
#include "windows/chart/guardarcarta.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <thread>

using Inyeccion::Llamada;
using Inyeccion::Regla;

namespace {

QByteArray Nativo(const QString &ruta) { return QFile::encodeName(ruta); }

struct Escritor {
    QString nombre;  // the file written
    QString mensaje; // what the user reads: %1 the path, %2 the reason; "" for nothing
    std::function<bool(const QString &ruta, QString &error)> escribir;
};

std::vector<Escritor> Escritores()
{
    std::vector<Escritor> e = {{"curva.acv", "No se pudo exportar la curva ACV: %2",
                                [](const QString &r, QString &) { return modEngine::ExportarCurvaACV(r); }}};
    for (int i = 0; i < CartaGrises::kNumFormatos; ++i)
        e.push_back({"carta." + CartaGrises::FormatoDeIndice(i).extension, "%2", [i](const QString &r, QString &m) {
                         QImage img(40, 30, QImage::Format_RGB32);
                         img.fill(QColor(90, 90, 90));
                         return CartaGrises::GuardarImagenCarta(img, r, i, 300, &m);
                     }});
    for (auto [fif, ext] : {std::pair{FIF_BMP, "bmp"}, {FIF_JPEG, "jpg"}, {FIF_PNG, "png"}, {FIF_TIFF, "tif"}, {FIF_WEBP, "webp"}})
        e.push_back({QStringLiteral("imagen.") + ext, "Error al guardar la imagen en:\r\n%1\r\n%2", [fif](const QString &r, QString &) {
                         PonerMuestra(37, 23, Aleatorio(37, 23, 7));
                         return modImage::GuardarImagenProcesada(r, fif, 0);
                     }});
    // The store, where Almacen points it.
    e.push_back({"ZOLV Halvora/ZOLV Halvora.ini", "",
                 [](const QString &, QString &) { return Ajustes::SaveSetting("Config", "idioma", "en"); }});
    return e;
}
// Writes; the message the user read (a box, or the chart's error) in m.
bool Escribir(const Escritor &e, const QString &r, QString &m)
{
    CajasGuionadas cajas;
    m.clear();
    const bool ok = e.escribir(r, m);
    if (!cajas.llamadas.isEmpty()) m = cajas.llamadas.last().texto;
    return ok;
}
std::string Esperado(const Escritor &e, const QString &ruta, const QString &motivo)
{
    return QString(e.mensaje).replace("%1", ruta).replace("%2", motivo).toStdString();
}

// The files of the folder, filler aside.
QStringList En(const QString &c) { return QDir(c).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QRegularExpression("^(?!\\.relleno)")); }
const QByteArray kViejo("[Config]\nidioma=es"); // 18 bytes, a settings store too

class Escritura : public Motor {};

struct stat Estado(const QString &ruta)
{
    struct stat st {};
    EXPECT_EQ(::lstat(Nativo(ruta).constData(), &st), 0) << ruta.toStdString();
    return st;
}

const QString kEIO = "Error de lectura o escritura en el disco";

// Written through a writer: the new content is made in the temporary folder
// first when the file is written in place.
bool Guardar(const QString &destino, const QByteArray &bytes, QString *error = nullptr)
{
    return Archivos::EscribirSeguro(destino, [&bytes](Archivos::Flujo &f) { return f.Escribir(bytes.constData(), bytes.size()); }, error);
}

// A folder that takes no new file (creating one beside the target is
// refused, as for an ordinary user), and a temporary and a data folder of
// its own.
class EnSitio : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString carpeta = dir.filePath("cerrada"), temporal = dir.filePath("tmp"), destino = carpeta + "/destino.bin";
    const QString copias = dir.filePath("datos/ZOLV Halvora/copias");
    const Regla cerrada{Llamada::Abrir, Nativo(carpeta + "/."), 1, EACCES, true};
    const DatosEn datos{dir.filePath("datos")};
    void SetUp() override { QDir().mkpath(temporal); }
    // The kept copies of the old content; the temporary folder holds none.
    QStringList Copias() const
    {
        QStringList l;
        for (const QFileInfo &c : QDir(copias).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString &f : QDir(c.filePath()).entryList(QDir::Files | QDir::Hidden)) l << c.filePath() + '/' + f;
        return l << QDir(temporal).entryList(QDir::Files | QDir::Hidden);
    }
};

} // namespace

TEST_F(Escritura, DiscoLlenoNoDanaNadaYDiceElMotivo)
{
    QTemporaryDir dir;
    // A tmpfs of 200 KB when root may mount one; and always every write
    // into the folder failing.
    for (bool real : {true, false}) {
        const QString carpeta = dir.filePath(real ? "tmpfs" : "simulado");
        QDir().mkpath(carpeta);
        std::optional<DiscoPequeno> disco;
        if (real && !disco.emplace(carpeta, 200).motivo.isEmpty()) {
            std::cout << "[ SKIPPED  ] " << disco->motivo.toStdString() << "\n";
            continue;
        }
        QDir().mkpath(carpeta + "/nuevo");
        const AlmacenEn almacen(carpeta + "/viejo");
        for (const Escritor &e : Escritores()) Poner(carpeta + "/viejo/" + e.nombre, kViejo);
        if (real) disco->Llenar();
        std::optional<Inyeccion::Fallos> lleno;
        if (!real) lleno.emplace(std::vector<Regla>{{Llamada::Escribir, Nativo(carpeta), 1, ENOSPC, true}});
        for (const char *caso : {"viejo", "nuevo"}) {
            for (const Escritor &e : Escritores()) {
                const QString r = carpeta + '/' + caso + '/' + e.nombre;
                SCOPED_TRACE(r.toStdString());
                if (e.mensaje.isEmpty() && QLatin1String(caso) == "nuevo") continue; // one store
                const QByteArray antes = Leer(r);
                QString m;
                EXPECT_FALSE(Escribir(e, r, m));
                EXPECT_EQ(m.toStdString(), Esperado(e, r, "No queda espacio en el disco"));
                EXPECT_EQ(Leer(r), antes);
                EXPECT_EQ(En(QFileInfo(r).absolutePath()).filter(QRegularExpression("^\\.|tmp")), QStringList());
            }
        }
        lleno.reset();
        // The setting that found no room holds for the session, and goes to
        // the disk with the next save that finds room.
        EXPECT_EQ(Ajustes::GetSetting("Config", "idioma"), "en");
        QFile::remove(carpeta + "/.relleno");
        EXPECT_TRUE(Ajustes::SaveSetting("Config", "otra", "1"));
        EXPECT_TRUE(Leer(Ajustes::RutaAlmacen()).contains("idioma=en\notra=1"));
        if (real) { // on a read-only mount the disk is read-only, not the file
            ASSERT_TRUE(disco->SoloLectura());
            QString error;
            EXPECT_FALSE(Archivos::EscribirAtomico(carpeta + "/viejo/curva.acv", "nuevo", &error));
            EXPECT_EQ(error, "El disco es de solo lectura");
            EXPECT_EQ(Leer(carpeta + "/viejo/curva.acv"), kViejo);
        }
    }
}

TEST_F(Escritura, EnlaceSoloLecturaYCarpetaCerrada)
{
    // Where an ordinary user can reach (the tests' own folder is root's alone).
    QTemporaryDir dir("/tmp/halvora-escritura-XXXXXX"), temporal("/tmp/halvora-tmp-XXXXXX");
    ::chmod(Nativo(dir.path()).constData(), 0755);
    ::chmod(Nativo(temporal.path()).constData(), 0777);
    for (const Escritor &e : Escritores()) {
        SCOPED_TRACE(e.nombre.toStdString());
        const QString base = dir.filePath(QFileInfo(e.nombre).fileName()), nombre = QFileInfo(e.nombre).fileName();
        const QString real = base + "/datos/" + nombre, enlace = base + "/enlace/" + e.nombre, fijo = base + "/fijo/" + e.nombre;
        Poner(real, kViejo);
        Poner(fijo, kViejo, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        QDir().mkpath(QFileInfo(enlace).absolutePath());
        ASSERT_TRUE(QFile::link(real, enlace));
        QString m;
        {   // A link is written through: the link stays, its file changes.
            const AlmacenEn almacen(base + "/enlace");
            EXPECT_TRUE(Escribir(e, enlace, m)) << m.toStdString();
        }
        EXPECT_TRUE(QFileInfo(enlace).isSymLink());
        EXPECT_NE(Leer(real), kViejo);
        EXPECT_EQ(En(QFileInfo(real).absolutePath()), QStringList{nombre});
        {   // A read-only file is refused, even to root.
            const AlmacenEn almacen(base + "/fijo");
            EXPECT_FALSE(Escribir(e, fijo, m));
        }
        EXPECT_EQ(m.toStdString(), Esperado(e, fijo, "Permiso denegado: el fichero es de solo lectura"));
        EXPECT_EQ(Leer(fijo), kViejo);
        EXPECT_EQ(En(QFileInfo(fijo).absolutePath()), QStringList{nombre});

        // A folder that takes no new file: the file is written in place
        // (the store locks itself, no lock file beside it).
        const QString enSitio = base + "/cerrada/" + e.nombre, cerrada = QFileInfo(enSitio).path();
        Poner(enSitio, kViejo + kViejo + kViejo, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        ASSERT_EQ(::chown(Nativo(enSitio).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
        ::chmod(Nativo(cerrada).constData(), 0555);
        {
            const TemporalEn tmp(temporal.path());
            const DatosEn datos(temporal.filePath("datos"));
            const AlmacenEn almacen(base + "/cerrada");
            ComoOtroUsuario nadie;
            EXPECT_TRUE(Escribir(e, enSitio, m)) << m.toStdString();
        }
        EXPECT_EQ(Leer(enSitio), Leer(real)); // the whole new file, the old tail gone
        EXPECT_EQ(En(cerrada), QStringList{nombre});
        EXPECT_EQ(QDir(temporal.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        EXPECT_EQ(QDir(temporal.filePath("datos/ZOLV Halvora/copias")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        ::chmod(Nativo(cerrada).constData(), 0755);
    }
}

TEST_F(EnSitio, UnFalloEnCadaPasoDejaElFicheroViejoOLoDice)
{
    const TemporalEn tmp(temporal);
    const QByteArray meta = Nativo(destino);
    // Content larger than one copy block, so a failure can fall between two.
    for (auto [viejoN, nuevoN] : {std::pair{90000, 200000}, {200000, 90000}}) {
        const QByteArray patron = PatronBytes(viejoN, 'v'), nuevo = PatronBytes(nuevoN, 'n');
        const bool crece = nuevoN > viejoN;
        enum Final { Intacto, Nuevo, Escrito, Copia };
        const QString conserva = kEIO + ". El fichero conserva su contenido anterior.",
                      sinCopia = "No se pudo copiar el fichero antes de escribirlo: ",
                      sinSitio = sinCopia + "No queda espacio en el disco de la carpeta " + copias,
                      escrito = "El fichero se ha escrito, pero el disco no confirmó la escritura (" + kEIO +
                                "). Queda una copia del contenido anterior en ",
                      sinReponer = kEIO + ". No se pudo reponer el contenido anterior (" + kEIO + "): queda una copia en ",
                      anterior = kEIO + ". El fichero tiene su contenido anterior, pero el disco no confirmó la escritura (" + kEIO +
                                 "); queda una copia en ";
        const struct {
            const char *paso;
            std::vector<Regla> reglas;
            Final final;
            QString mensaje; // the copy's path follows when one is kept
            bool uniforme = false; // old content of one repeated byte
        } casos[] = {
            {"first write", {{Llamada::Escribir, meta, 1, ENOSPC}}, Intacto,
             "No queda espacio en el disco. El fichero conserva su contenido anterior."},
            {"second write", {{Llamada::Escribir, meta, 2, EIO}}, Intacto, conserva},
            {"truncate", {{Llamada::Truncar, meta, 1, EIO}}, Intacto, conserva},
            {"sync", {{Llamada::Sincronizar, meta, 1, EIO}}, Escrito, escrito},
            {"close", {{Llamada::Cerrar, meta, 1, EIO}}, Escrito, escrito},
            {"write and the copy back", {{Llamada::Escribir, meta, 2, EIO, true}}, Copia, sinReponer},
            // Shrinking, all the old content went back; only its length did not.
            {"truncate and the copy back", {{Llamada::Truncar, meta, 1, EIO, true}}, Copia, crece ? sinReponer : anterior},
            // The copy back failed after the new content was all there: the
            // user reads that, not a failed restore.
            {"truncate, then every write back", {{Llamada::Truncar, meta, 1, EIO}, {Llamada::Escribir, meta, nuevoN / 65536 + 2, EIO, true}},
             crece ? Escrito : Copia,
             crece ? kEIO + ". El fichero tiene todo el contenido nuevo; queda una copia del contenido anterior en " : sinReponer},
            {"truncate, then the sync of the copy back", {{Llamada::Truncar, meta, 1, EIO}, {Llamada::Sincronizar, meta, 1, EIO, true}},
             Copia, anterior},
            // Short reads are no failure, nor calls a signal interrupted; a
            // copy that reads back different is.
            {"short reads", {{Llamada::Leer, meta, 1, 0, true, 1000}}, Nuevo, ""},
            // The new content, checked when written, cannot be read back:
            // the disk's fault, whatever the system's number.
            {"new content unreadable", {{Llamada::Leer, Nativo(temporal), nuevoN / 65536 + 2, ENOMEM, true}}, Intacto, conserva},
            {"interrupted reads and writes", {{Llamada::Leer, meta, 1, EINTR}, {Llamada::Escribir, meta, 1, EINTR},
                                              {Llamada::Leer, Nativo(copias), 1, EINTR}, {Llamada::Escribir, Nativo(copias), 1, EINTR},
                                              {Llamada::Leer, Nativo(temporal), 1, EINTR}}, Nuevo, ""},
            {"copy not as written", {{Llamada::Escribir, Nativo(copias), 1, 0, false, -1, true}}, Intacto, sinCopia + kEIO},
            // A copy the disk does not confirm is no copy to write over the file with.
            // (The copy is named as the file, and synced before the file is.)
            {"sync of the copy", {{Llamada::Sincronizar, "/destino.bin", 1, EIO}}, Intacto,
             sinCopia + "No se puede usar la carpeta " + copias + ": " + kEIO},
            // A copy that cannot be read back whole is not taken as checked,
            // even where the block read before it holds the same bytes.
            {"second read of the copy", {{Llamada::Leer, Nativo(copias), 2, EIO}}, Intacto, sinCopia + kEIO, true},
            // No room for the copy or the new content: nothing is touched,
            // and the full disk named is that folder's.
            {"copy", {{Llamada::Escribir, Nativo(copias), 1, ENOSPC}}, Intacto, sinSitio},
            {"note of the copy", {{Llamada::Escribir, ".nota", 1, ENOSPC}}, Intacto, sinSitio},
            {"new content", {{Llamada::Escribir, Nativo(temporal + "/zolv_escritura_"), 1, ENOSPC}}, Intacto,
             "No queda espacio en el disco de la carpeta temporal " + temporal},
        };
        for (const auto &c : casos) {
            SCOPED_TRACE(std::string(c.paso) + (crece ? ", growing" : ", shrinking"));
            const QByteArray viejo = c.uniforme ? QByteArray(viejoN, 'u') : patron;
            Poner(destino, viejo);
            QString error;
            {
                std::vector<Regla> reglas{cerrada};
                reglas.insert(reglas.end(), c.reglas.begin(), c.reglas.end());
                const Inyeccion::Fallos fallos(reglas);
                EXPECT_EQ(Guardar(destino, nuevo, &error), c.final == Nuevo);
                EXPECT_GT(fallos.Vistas(c.reglas.size()), 0);
            }
            const QStringList kept = Copias();
            if (c.final == Intacto || c.final == Nuevo) {
                EXPECT_EQ(error, c.mensaje);
                EXPECT_EQ(Leer(destino), c.final == Nuevo ? nuevo : viejo);
                EXPECT_EQ(kept, QStringList());
            } else {
                // Kept, named, and not told again at the next start.
                ASSERT_EQ(kept.size(), 1);
                EXPECT_EQ(error, c.mensaje + kept[0]);
                EXPECT_EQ(Leer(kept[0]), viejo);
                EXPECT_TRUE(Archivos::GuardadosInterrumpidos().empty());
                if (c.final == Escrito) {
                    EXPECT_EQ(Leer(destino), nuevo);
                }
                QDir(copias).removeRecursively();
            }
        }
    }
}

TEST_F(EnSitio, UnaCarpetaTemporalInservibleOSinNombresLibres)
{
    Poner(destino, "viejo");
    QString error;
    {
        const TemporalEn tmp(dir.filePath("no-esta"));
        const Inyeccion::Fallos fallos({cerrada});
        EXPECT_FALSE(Guardar(destino, "nuevo", &error));
    }
    EXPECT_EQ(error, "No se puede usar la carpeta temporal " + dir.filePath("no-esta") + ": No existe la carpeta o el fichero");
    // Every name taken, beside the target or in the temporary folder.
    const TemporalEn tmp(temporal);
    for (const QString &donde : {carpeta, temporal}) {
        const Regla llenos{Llamada::Abrir, Nativo(donde + '/'), 1, EEXIST, true};
        const Inyeccion::Fallos fallos(donde == carpeta ? std::vector{llenos} : std::vector{cerrada, llenos});
        EXPECT_FALSE(Guardar(destino, "nuevo", &error));
        EXPECT_EQ(error, "No quedan nombres libres para un fichero temporal en " + donde);
    }
    EXPECT_EQ(Leer(destino), "viejo");
    EXPECT_TRUE(Copias().isEmpty());
}

// The next start reads the notes that in-place saves leave: the new
// content's length and digest, then the file's path. A file that holds that
// content whole is no interrupted save (its copy goes, nobody is told); one
// that does not, however alike, is; a note of an earlier version (the path
// alone) is always told; a note cut short means nothing was written.
TEST_F(EnSitio, LasNotasDicenSiElFicheroQuedoEntero)
{
    const QByteArray nuevo = PatronBytes(100000, 'n');
    const QByteArray huella = QByteArray::number(nuevo.size()) + ' ' +
                              QCryptographicHash::hash(nuevo, QCryptographicHash::Blake2b_256).toHex() + '\n';
    QByteArray casi = nuevo;
    casi[70000] = 'x';
    const struct {
        const char *caso;
        QByteArray fichero, nota;
        bool aviso;
    } casos[] = {
        {"whole and new", nuevo, huella + Nativo(destino) + '\n', false},
        {"as long, one byte other", casi, huella + Nativo(destino) + '\n', true},
        {"a byte more", nuevo + 'x', huella + Nativo(destino) + '\n', true},
        {"a byte less", nuevo.chopped(1), huella + Nativo(destino) + '\n', true},
        {"no file", "", huella + Nativo(destino) + '\n', true},
        {"an earlier version's", nuevo, Nativo(destino) + '\n', true},
        {"cut short", casi, huella + Nativo(destino), false},
        {"cut in its first line", casi, huella.left(20), false},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.caso);
        if (c.fichero.isEmpty()) QFile::remove(destino); else Poner(destino, c.fichero);
        const QString carpeta = copias + "/Ab12Cd";
        Poner(carpeta + "/destino.bin", "viejo");
        Poner(carpeta + ".nota", c.nota);
        const auto hay = Archivos::GuardadosInterrumpidos();
        if (c.aviso) {
            ASSERT_EQ(hay.size(), 1u);
            EXPECT_EQ(std::pair(hay[0].fichero, hay[0].copia), std::pair(destino, carpeta + "/destino.bin"));
            EXPECT_EQ(Leer(carpeta + "/destino.bin"), "viejo");
            EXPECT_TRUE(Archivos::GuardadosInterrumpidos().empty()); // told once
        } else {
            EXPECT_TRUE(hay.empty());
            EXPECT_EQ(QDir(copias).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        }
        QDir(copias).removeRecursively();
    }
}

TEST(Reemplazo, UnFalloEnElTemporalDejaElFicheroViejo)
{
    // Each step of the temporary beside the file failing: the file keeps its
    // old content, the user reads why, and the temporary goes.
    QTemporaryDir dir;
    const QString destino = Poner(dir.filePath("destino.bin"), "viejo");
    const QByteArray temporal = Nativo(dir.filePath(".destino.bin~"));
    const struct { const char *paso; Regla regla; QString motivo; } casos[] = {
        {"write", {Llamada::Escribir, temporal, 1, ENOSPC}, "No queda espacio en el disco"},
        {"permissions", {Llamada::Permisos, temporal, 1, EPERM}, "Permiso denegado"},
        {"sync", {Llamada::Sincronizar, temporal, 1, EIO}, kEIO},
        {"close", {Llamada::Cerrar, temporal, 1, EIO}, kEIO},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.paso);
        QString error;
        {
            const Inyeccion::Fallos fallos({c.regla});
            EXPECT_FALSE(Guardar(destino, "nuevo", &error));
            EXPECT_TRUE(fallos.Disparada());
        }
        EXPECT_EQ(error, c.motivo);
        EXPECT_EQ(Leer(destino), "viejo");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"destino.bin"});
    }
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

// The hidden temporaries beside 'destino' while a save of it runs.
QStringList Corriendo(const QString &destino)
{
    QStringList t;
    Archivos::EscribirSeguro(destino, [&](Archivos::Flujo &) {
        t = QDir(QFileInfo(destino).path()).entryList({"." + QFileInfo(destino).fileName().left(8) + "*"}, QDir::Files | QDir::Hidden);
        return true;
    });
    return t;
}

TEST(Reemplazo, LosRestosQueSeBorranSonSoloLosPropios)
{
    QTemporaryDir dir;
    ::chmod(Nativo(dir.path()).constData(), 0777); // shared, without the sticky bit
    // Two names that share their first 64 bytes.
    const QString largo = QString(70, 'a'), x = dir.filePath(largo + "1.png"), otro = dir.filePath(largo + "2.png");
    const QStringList enX = Corriendo(x), enOtro = Corriendo(otro);
    Archivos::EsperarLimpieza(); // theirs, before the leftovers below are made
    ASSERT_EQ(enX.size(), 1);
    ASSERT_EQ(enOtro.size(), 1);
    // The names earlier runs left behind carry: "." + the first 64 bytes, the
    // mark, 12 hex of the whole name's SHA-256, "-", six letters or digits, ".tmp".
    const QByteArray entero = QFile::encodeName(largo + "1.png");
    const QString prefijo = '.' + entero.left(64) + "~zolv-" +
                            QCryptographicHash::hash(entero, QCryptographicHash::Sha256).toHex().left(12) + '-';
    EXPECT_TRUE(QRegularExpression('^' + QRegularExpression::escape(prefijo) + "[A-Za-z0-9]{6}\\.tmp$").match(enX[0]).hasMatch())
        << enX[0].toStdString();
    // A leftover of the program's own naming for a file: another tail.
    auto propio = [](const QString &de, const char *cola) { return de.left(de.size() - 10) + cola + ".tmp"; };
    const struct {
        const char *caso;
        QString nombre;
        time_t edad;
        bool ajeno; // another user's
        bool queda;
    } restos[] = {
        {"own, stale", propio(enX[0], "AbC123"), 7200, false, false},
        {"own, an hour old", propio(enX[0], "q9Z0aa"), 3700, false, false},
        {"own, recent", propio(enX[0], "Zz9999"), 600, false, true},
        // The tail a letter shorter or longer, or not all letters and digits.
        {"a shorter tail", propio(enX[0], "AbC12"), 7200, false, true},
        {"a longer tail", propio(enX[0], "AbC1234"), 7200, false, true},
        {"a tail with a dot", propio(enX[0], "AbC.23"), 7200, false, true},
        {"the user's backup", "." + largo + "1.png.backup.tmp", 7200, false, true},
        {"another user's", propio(enX[0], "Otro01"), 7200, true, true},
        {"another file's", propio(enOtro[0], "AbC123"), 7200, false, true},
    };
    QStringList quedan{largo + "1.png", largo + "2.png"};
    for (const auto &r : restos) {
        const QString ruta = Poner(dir.filePath(r.nombre), "resto");
        Envejecer(ruta, r.edad);
        if (r.ajeno) {
            ASSERT_EQ(::chown(Nativo(ruta).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
        }
        if (r.queda) quedan << r.nombre;
    }
    // A save that runs while its own temporary looks stale (a skewed clock)
    // loses nothing to another save of the same name: while the file is
    // there that save is refused (the file is locked); once another program
    // has removed it, the other save makes a new one and leaves the running
    // save's temporary alone.
    bool dentro = false;
    QString refusal;
    ASSERT_TRUE(Archivos::EscribirSeguro(x, [&](Archivos::Flujo &f) {
        for (const QString &t : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            if (!quedan.contains(t) && t.startsWith(enX[0].left(enX[0].size() - 10))) Envejecer(dir.filePath(t), 7200);
        EXPECT_FALSE(Archivos::EscribirAtomico(x, "dentro", &refusal));
        QFile::remove(x);
        dentro = Archivos::EscribirAtomico(x, "dentro");
        return f.Escribir("fuera", 5);
    }));
    EXPECT_EQ(refusal, "Hay otro guardado de este fichero en curso; inténtelo de nuevo cuando termine");
    EXPECT_TRUE(dentro);
    EXPECT_EQ(Leer(x), "fuera");
    Archivos::EsperarLimpieza();
    QStringList hay = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    hay.sort(), quedan.sort();
    EXPECT_EQ(hay.join('\n'), quedan.join('\n'));
}

// Other instances of the program, each saving one file: this test program,
// run as DosGuardados.GuardaComoOtraInstancia.
namespace {
const int kTamGuardado = 300000; // several copy blocks

struct Instancia {
    std::unique_ptr<QProcess> p = std::make_unique<QProcess>();
    QString resultado;
    // Saves PatronBytes(kTamGuardado, semilla) into 'destino', in place as
    // EnSitio's folder has it unless 'renombra' (it may make files there);
    // stopped (SIGSTOP) at the n-th call of that kind on that path when given.
    Instancia(const QString &dir, const QString &destino, char semilla, Llamada parada = Llamada::Abrir, int n = 0,
              const QString &donde = QString(), bool renombra = false)
        : resultado(dir + QStringLiteral("/resultado-%1").arg(semilla))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HALVORA_GUARDAR", destino);
        if (renombra) env.insert("HALVORA_RENOMBRA", "1");
        env.insert("HALVORA_SEMILLA", QString(QChar(semilla)));
        env.insert("HALVORA_RESULTADO", resultado);
        env.insert("HALVORA_TMP", dir + "/tmp");
        env.insert("HALVORA_DATOS", dir + "/datos");
        if (n) env.insert("HALVORA_PARAR", QString("%1|%2|%3").arg(int(parada)).arg(n).arg(donde));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DosGuardados.GuardaComoOtraInstancia"});
    }
    ~Instancia()
    {
        if (p->state() != QProcess::NotRunning) ::kill(pid_t(p->processId()), SIGCONT), p->kill(), p->waitForFinished(60000);
    }
    bool Parada() const
    {
        for (int i = 0; i < 6000; ++i, QThread::msleep(10))
            if (Leer(QString("/proc/%1/stat").arg(p->processId())).split(' ').value(2) == "T") return true;
        return false;
    }
    // Until it has the file open, or has ended.
    void Abre(const QString &fichero) const
    {
        const QString proc = QString("/proc/%1/").arg(p->processId());
        for (int i = 0; i < 6000 && Leer(proc + "stat").split(' ').value(2, "Z") != "Z"; ++i, QThread::msleep(10))
            for (const QString &n : QDir(proc + "fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                if (QFile::symLinkTarget(proc + "fd/" + n) == fichero) return;
    }
    void Seguir() const { ::kill(pid_t(p->processId()), SIGCONT); }
    // What it said: "ok" or the reason it gave.
    QString Fin() const
    {
        EXPECT_TRUE(p->state() == QProcess::NotRunning || p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
        return QString::fromUtf8(Leer(resultado));
    }
};
} // namespace

// The cleanup asked for on the program's own thread waits for its event loop
// to turn, so that the start-up's windows do not share the machine with it;
// until then no name is judged, however long it waits.
TEST(Reemplazo, LaLimpiezaEmpiezaCuandoGiraElBucleDeEventos)
{
    Archivos::EsperarLimpieza(); // none running or waiting
    QTemporaryDir dir;
    Poner(dir.filePath("zolv_x"), "resto");
    std::atomic<int> juzgados{0};
    Archivos::BorrarRestos(Nativo(dir.path()), "zolv_", [&juzgados](QByteArrayView) {
        ++juzgados;
        return Archivos::Resto::Ajeno;
    });
    QThread::msleep(300);
    EXPECT_EQ(juzgados.load(), 0);
    QCoreApplication::processEvents();
    Archivos::EsperarLimpieza();
    EXPECT_EQ(juzgados.load(), 1);
    EXPECT_TRUE(QFile::exists(dir.filePath("zolv_x")));
}

// On a file system that takes no locks the save goes on unlocked, as it
// can, and keeps no descriptor of its attempt.
TEST(Reemplazo, SinCerrojosEnElSistemaDeFicherosSeGuardaIgual)
{
    Archivos::EsperarLimpieza(); // its folder stays open while it runs
    QTemporaryDir dir;
    const QString x = Poner(dir.filePath("x.bin"), "viejo");
    const int abiertos = QDir("/proc/self/fd").count();
    {
        const Inyeccion::Fallos fallos({{Llamada::Bloquear, Nativo(x), 1, ENOLCK, true}});
        QString error;
        EXPECT_TRUE(Archivos::EscribirAtomico(x, "nuevo", &error)) << error.toStdString();
        EXPECT_GT(fallos.Vistas(0), 0);
    }
    Archivos::EsperarLimpieza();
    EXPECT_EQ(QDir("/proc/self/fd").count(), abiertos);
    EXPECT_EQ(Leer(x), "nuevo");
}

// Asked from another thread (a save running beside the windows), the cleanup
// starts at once: nobody there turns the event loop for it.
TEST(Reemplazo, LaLimpiezaPedidaDesdeOtroHiloEmpiezaEnSeguida)
{
    Archivos::EsperarLimpieza();
    QTemporaryDir dir;
    Poner(dir.filePath("zolv_x"), "resto");
    std::atomic<int> juzgados{0};
    std::thread([&] {
        Archivos::BorrarRestos(Nativo(dir.path()), "zolv_", [&juzgados](QByteArrayView) {
            ++juzgados;
            return Archivos::Resto::Ajeno;
        });
    }).join();
    for (int i = 0; i < 500 && juzgados.load() == 0; ++i) QThread::msleep(10);
    EXPECT_EQ(juzgados.load(), 1);
    Archivos::EsperarLimpieza();
}

TEST(DosGuardados, GuardaComoOtraInstancia)
{
    const QString destino = qEnvironmentVariable("HALVORA_GUARDAR");
    if (destino.isEmpty()) GTEST_SKIP() << "run by the tests of two saves at once";
    const TemporalEn tmp(qEnvironmentVariable("HALVORA_TMP"));
    const DatosEn datos(qEnvironmentVariable("HALVORA_DATOS"));
    const QStringList parada = qEnvironmentVariable("HALVORA_PARAR").split(u'|');
    std::vector<Regla> reglas;
    if (qEnvironmentVariableIsEmpty("HALVORA_RENOMBRA"))
        reglas.push_back({Llamada::Abrir, Nativo(QFileInfo(destino).path() + "/."), 1, EACCES, true});
    if (parada.size() == 3)
        reglas.push_back({Llamada(parada[0].toInt()), Nativo(parada[2]), parada[1].toInt(), 0, false, -1, false, SIGSTOP});
    QString error;
    bool ok;
    const uint abiertos = QDir("/proc/self/fd").count();
    {
        const Inyeccion::Fallos fallos(reglas);
        ok = Guardar(destino, PatronBytes(kTamGuardado, qEnvironmentVariable("HALVORA_SEMILLA").at(0).toLatin1()), &error);
    }
    // However long it waited, and for whichever file, it keeps nothing open.
    Archivos::EsperarLimpieza();
    if (ok && QDir("/proc/self/fd").count() != abiertos) error = "ok, with descriptors left open";
    Poner(qEnvironmentVariable("HALVORA_RESULTADO"), ok && error.isEmpty() ? "ok" : error.toUtf8());
}

// Two instances write one file in place at once (the folder takes no new
// file): the second waits for the first and then writes the whole file,
// or, kept waiting too long, is refused and touches nothing. Without the
// lock the second wrote the file whole in the middle of the first's
// writing, which then wrote the rest: the first block of one, the rest of
// the other, and both said they saved.
TEST_F(EnSitio, DosInstanciasNoMezclanElFichero)
{
    const QByteArray a = PatronBytes(kTamGuardado, 'a'), b = PatronBytes(kTamGuardado, 'b');
    for (bool esperaBastante : {true, false}) {
        SCOPED_TRACE(esperaBastante ? "waits" : "refused");
        Poner(destino, kViejo + PatronBytes(kTamGuardado, 'v'));
        QDir(dir.filePath("datos")).removeRecursively();
        // The first stops inside its writing in place, after one block.
        Instancia primera(dir.path(), destino, 'a', Llamada::Escribir, 2, destino);
        ASSERT_TRUE(primera.Parada());
        Instancia segunda(dir.path(), destino, 'b');
        segunda.Abre(destino);
        if (esperaBastante) {
            // Time for an unlocked save to end before the first goes on.
            segunda.p->waitForFinished(2000);
            primera.Seguir();
            EXPECT_EQ(primera.Fin(), "ok");
            EXPECT_EQ(segunda.Fin(), "ok");
            EXPECT_TRUE(Leer(destino) == b);
        } else {
            EXPECT_EQ(segunda.Fin(), "Hay otro guardado de este fichero en curso; inténtelo de nuevo cuando termine");
            EXPECT_TRUE(Leer(destino).mid(65536) == (kViejo + PatronBytes(kTamGuardado, 'v')).mid(65536));
            primera.Seguir();
            EXPECT_EQ(primera.Fin(), "ok");
            EXPECT_TRUE(Leer(destino) == a);
        }
        EXPECT_EQ(Copias(), QStringList());
    }
}

// Another program (one that knows nothing of the lock) writes the file while
// its copy is being checked: the user reads that, not a disk error, and the
// file keeps what that program wrote.
TEST_F(EnSitio, ElFicheroCambiadoDuranteLaCopiaSeDiceAsi)
{
    const QByteArray viejo = PatronBytes(kTamGuardado, 'v');
    Poner(destino, viejo);
    // Stopped at the first read of the copy: its check has read the file's
    // first block.
    Instancia guardado(dir.path(), destino, 'n', Llamada::Leer, 1, copias);
    ASSERT_TRUE(guardado.Parada());
    QFile otro(destino);
    ASSERT_TRUE(otro.open(QIODevice::ReadWrite) && otro.seek(200000) && otro.write("otro programa") == 13);
    otro.close();
    guardado.Seguir();
    EXPECT_EQ(guardado.Fin(), "No se pudo copiar el fichero antes de escribirlo: otro programa lo cambió mientras se comprobaba la copia");
    EXPECT_TRUE(Leer(destino) == viejo.left(200000) + "otro programa" + viejo.mid(200013));
    EXPECT_EQ(Copias(), QStringList());
}

// A save by rename puts a new file under the name: a save that waited for
// the old one must hold the new one, or a third save takes that one while
// the second writes it in place, and the file ends mixed.
TEST_F(EnSitio, QuienEsperaUnFicheroRenombradoTomaElNuevo)
{
    Poner(destino, PatronBytes(kTamGuardado, 'v'));
    Instancia renombra(dir.path(), destino, 'r', Llamada::Escribir, 1, "/.destino.bin~zolv-", true);
    ASSERT_TRUE(renombra.Parada());
    Instancia segunda(dir.path(), destino, 's', Llamada::Escribir, 2, destino);
    segunda.Abre(destino);
    renombra.Seguir();
    EXPECT_EQ(renombra.Fin(), "ok");
    ASSERT_TRUE(segunda.Parada());
    Instancia tercera(dir.path(), destino, 't');
    tercera.Abre(destino);
    tercera.p->waitForFinished(2000);
    segunda.Seguir();
    EXPECT_EQ(segunda.Fin(), "ok");
    EXPECT_EQ(tercera.Fin(), "ok");
    EXPECT_TRUE(Leer(destino) == PatronBytes(kTamGuardado, 't'));
}
