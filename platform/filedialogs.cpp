#include "platform/filedialogs.h"

#include "platform/cierre.h"
#include "platform/msgbox.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace Dialogos {

namespace {
Responder &Actual()
{
    static Responder r;
    return r;
}

QStringList Patrones(const QString &patrones)
{
    return patrones.split(u';', Qt::SkipEmptyParts);
}
} // namespace

void InstalarResponder(Responder r) { Actual() = std::move(r); }

QString FiltroQt(const Filtro &f)
{
    QString desc = f.descripcion;
    desc.replace(u'(', u'[').replace(u')', u']');
    return desc + QStringLiteral(" (") + Patrones(f.patrones).join(u' ') + QStringLiteral(")");
}

bool CoincideConPatrones(const QString &ruta, const QString &patrones)
{
    const QString nombre = QFileInfo(ruta).fileName();
    for (const QString &p : Patrones(patrones)) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                    QRegularExpression::CaseInsensitiveOption);
        if (re.match(nombre).hasMatch()) return true;
    }
    return false;
}

QString Mostrar(const Peticion &p)
{
    // The program is ending: nobody may be there to choose.
    if (Cierre::Pedido()) return QString();
    QString ruta;
    if (Actual()) {
        ruta = Actual()(p);
    } else {
        QFileDialog dlg(p.owner, p.titulo, p.carpetaInicial);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setAcceptMode(p.guardar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(p.guardar ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QStringList filtros;
        for (const Filtro &f : p.filtros) filtros << FiltroQt(f);
        dlg.setNameFilters(filtros);
        if (!p.extensionDefecto.isEmpty()) dlg.setDefaultSuffix(p.extensionDefecto);
        if (!p.nombreArchivo.isEmpty()) dlg.selectFile(p.nombreArchivo);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
        ruta = dlg.selectedFiles().first();
    }
    if (ruta.isEmpty()) return ruta;

    if (p.guardar && p.forzarExtension && !p.extensionDefecto.isEmpty() && !p.filtros.isEmpty() &&
        !CoincideConPatrones(ruta, p.filtros.first().patrones)) {
        ruta += u'.' + p.extensionDefecto;
        if (QFileInfo::exists(ruta)) {
            QString texto = p.textoReemplazar.isEmpty()
                                ? QStringLiteral("El archivo ya existe:\r\n%1\r\n¿Desea reemplazarlo?")
                                : p.textoReemplazar;
            texto = texto.arg(ruta);
            if (MsgBox::Mostrar(texto, MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2,
                                p.titulo, p.owner) != MsgBox::Yes)
                return QString();
        }
    }
    return ruta;
}

} // namespace Dialogos
