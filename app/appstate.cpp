#include "app/appstate.h"

#include "app/idioma.h"
#include "app/ventanas.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/settings.h"
#include "platform/shell.h"

#include <QDir>
#include <QFileInfo>

namespace modAppState {

namespace {
const QString kSeccion = QStringLiteral("DialogFolders");
bool avisado = false;
} // namespace

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

bool GuardarCarpetaDialogo(const QString &clave, const QString &ruta, QString *motivo)
{
    // The folder is the text before the last separator, when that separator
    // is not the first character.
    const qsizetype p = ruta.lastIndexOf(u'/');
    return p < 1 || Ajustes::SaveSetting(kSeccion, clave, ruta.left(p), motivo);
}

void AvisarAjustesNoGuardados(const QString &motivo, bool alSalir)
{
    // At exit it is news even when told before: the values are lost now.
    if (avisado && !alSalir) return;
    avisado = true;
    MsgBox::Mostrar(T(QStringLiteral("No se pudo guardar la configuración: "), QStringLiteral("The settings could not be saved: ")) +
                        motivo + u'.' +
                        (alSalir ? QString()
                                 : T(QStringLiteral("\r\nSe volverá a intentar con el próximo cambio y al salir."),
                                     QStringLiteral("\r\nIt will be tried again with the next change and on exit."))),
                    MsgBox::Exclamation);
}

void NuevaSesion() { avisado = false; }

void AvisarGuardadosInterrumpidos(QWidget *dueno)
{
    QStringList textos;
    for (const Archivos::GuardadoInterrumpido &g : Archivos::GuardadosInterrumpidos())
        textos << T(QStringLiteral("No se terminó de guardar el fichero:\r\n%1\r\nSu contenido anterior está en:\r\n%2"),
                    QStringLiteral("The save of this file did not finish:\r\n%1\r\nIts previous content is in:\r\n%2"))
                      .arg(QDir::toNativeSeparators(g.fichero), QDir::toNativeSeparators(g.copia));
    if (!textos.isEmpty()) MsgBox::Mostrar(textos.join(QStringLiteral("\r\n\r\n")), MsgBox::Exclamation, QString(), dueno);
}

QString DialogoConCarpeta(Dialogos::Peticion p, const QString &clave)
{
    const QString carpeta = LeerCarpetaDialogo(clave);
    if (!carpeta.isEmpty()) p.carpetaInicial = carpeta;
    const QString ruta = Dialogos::Mostrar(p);
    QString motivo;
    if (!ruta.isEmpty() && !GuardarCarpetaDialogo(clave, ruta, &motivo)) AvisarAjustesNoGuardados(motivo);
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
