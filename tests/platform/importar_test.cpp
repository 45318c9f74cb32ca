// Importing a curve from something that is not a file says what it is,
// without waiting on it, and leaves the curve as it was.

#include "curves/archivoscurva.h"
#include "curves/deshacer.h"
#include "support/scripted.h"
#include "support/texto.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <sys/stat.h>

using namespace modEngine;

TEST(ImportarCurva, DeUnaCarpetaUnaTuberiaOUnDispositivo)
{
    QTemporaryDir dir;
    const QString tuberia = dir.filePath("tuberia.acv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tuberia).constData(), 0600), 0);
    ReiniciarCurvas();
    PuntoX[0][1] = 200;
    ComponerLUTs();
    const EstadoCurvas antes = TomarEstado();
    const struct { QString ruta, motivo; } casos[] = {
        {dir.path(), "Es una carpeta"}, {tuberia, "No es un fichero normal"}, {"/dev/null", "No es un fichero normal"},
    };
    CajasGuionadas cajas;
    for (const auto &c : casos) {
        for (bool amp : {false, true}) {
            SCOPED_TRACE(c.ruta.toStdString() + (amp ? " as AMP" : " as ACV"));
            cajas.llamadas.clear();
            GuardarDeshacer();
            EXPECT_FALSE(amp ? ImportarCurvaAMP(c.ruta) : ImportarCurvaACV(c.ruta));
            ASSERT_EQ(cajas.llamadas.size(), 1);
            EXPECT_EQ(cajas.llamadas[0].texto,
                      QString("No se pudo importar la curva %1: ").arg(amp ? "AMP" : "ACV") + c.motivo);
            EXPECT_EQ(cajas.llamadas[0].Icono(), MsgBox::Exclamation);
            // Back to the caller's snapshot, popped.
            const EstadoCurvas despues = TomarEstado();
            EXPECT_EQ(std::memcmp(&antes, &despues, sizeof antes), 0);
            EXPECT_EQ(NumeroDeshacer(), 0);
        }
    }
}
