#include "app/appstate.h"

#include "app/idioma.h"
#include "app/ventanas.h"
#include "platform/settings.h"
#include "platform/shell.h"

#include <QFileInfo>

namespace modAppState {

namespace {
const QString kSeccion = QStringLiteral("DialogFolders");
}

bool FormularioCargado(const QString &nombre) { return Ventanas::Buscar(nombre) != nullptr; }

void AvisarEditorCurvaGenerada()
{
    if (auto *e = dynamic_cast<EditorCurva *>(Ventanas::Buscar(QStringLiteral("frmEditarAplicarCurva"))))
        e->RefrescarDesdeCurvaCompartida();
}

QString LeerCarpetaDialogo(const QString &clave)
{
    const QString c = Ajustes::GetSetting(kSeccion, clave);
    if (c.isEmpty() || !QFileInfo(c).isDir()) return QString();
    return c;
}

void GuardarCarpetaDialogo(const QString &clave, const QString &ruta)
{
    // The folder is the text before the last separator, when that separator
    // is not the first character.
    const qsizetype p = ruta.lastIndexOf(u'/');
    if (p < 1) return;
    Ajustes::SaveSetting(kSeccion, clave, ruta.left(p));
}

QString DialogoConCarpeta(Dialogos::Peticion p, const QString &clave)
{
    const QString carpeta = LeerCarpetaDialogo(clave);
    if (!carpeta.isEmpty()) p.carpetaInicial = carpeta;
    const QString ruta = Dialogos::Mostrar(p);
    if (!ruta.isEmpty()) GuardarCarpetaDialogo(clave, ruta);
    return ruta;
}

void ForzarExtension(Dialogos::Peticion &p)
{
    p.forzarExtension = true;
    p.textoReemplazar = T(QStringLiteral("El archivo ya existe:\r\n%1\r\n¿Desea reemplazarlo?"),
                          QStringLiteral("The file already exists:\r\n%1\r\nDo you want to replace it?"));
}

} // namespace modAppState

namespace modDialogo {
void AbrirConShell(const QString &destino, std::function<void()> siFalla)
{
    Shell::Abrir(destino, std::move(siFalla));
}
} // namespace modDialogo
