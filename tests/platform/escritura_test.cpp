// Every writer (curve export, chart, processed image, settings) on a full
// disk, through a symbolic link, onto a read-only file and into a folder that
// refuses new files: the old file is never damaged, the user reads the
// system's reason, and no temporary file is left behind.

#include "curves/archivoscurva.h"
#include "imaging/guardar.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "support/inyeccion/inyeccion.h"
#include "support/imagen.h"
#include "support/scripted.h"
#include "windows/chart/guardarcarta.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

namespace {

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
QStringList En(const QString &carpeta)
{
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(QRegularExpression("^(?!\\.relleno)"));
}
const QByteArray kViejo("[Config]\nidioma=es"); // 18 bytes, a settings store too

class Escritura : public Motor {};

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
        if (!real) lleno.emplace(std::vector<Inyeccion::Regla>{{Inyeccion::Llamada::Escribir, QFile::encodeName(carpeta), 1, ENOSPC, true}});
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
    }
}

TEST_F(Escritura, EnlaceSoloLecturaYCarpetaCerrada)
{
    // Where an ordinary user can reach (the tests' own folder is root's alone).
    QTemporaryDir dir("/tmp/halvora-escritura-XXXXXX"), temporal("/tmp/halvora-tmp-XXXXXX");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(temporal.path()).constData(), 0777);
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
        ASSERT_EQ(::chown(QFile::encodeName(enSitio).constData(), ComoOtroUsuario::Uid(), ComoOtroUsuario::Uid()), 0);
        ::chmod(QFile::encodeName(cerrada).constData(), 0555);
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
        ::chmod(QFile::encodeName(cerrada).constData(), 0755);
    }
}
