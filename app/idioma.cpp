#include "app/idioma.h"

#include "app/appstate.h"
#include "app/ventanas.h"
#include "platform/settings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace modIdioma {

QString Idioma;

QString T(const QString &es, const QString &en) { return Idioma == QStringLiteral("en") ? en : es; }

void TraducirQt()
{
    // Qt's own texts (standard buttons, file dialogs) in Spanish from the
    // system's translations; English is Qt's own language.
    static QTranslator *qt = nullptr;
    if (!QCoreApplication::instance()) return;
    const bool espanol = Idioma != QStringLiteral("en");
    if (espanol && !qt) {
        auto *t = new QTranslator(QCoreApplication::instance());
        if (t->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(t))
            qt = t;
        else
            delete t;
    } else if (!espanol && qt) {
        QCoreApplication::removeTranslator(qt);
        delete qt;
        qt = nullptr;
    }
}

void CargarIdioma()
{
    const QString v = Ajustes::GetSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("es"));
    Idioma = v == QStringLiteral("en") ? QStringLiteral("en") : QStringLiteral("es");
    TraducirQt();
}

bool GuardarIdioma(QString *motivo)
{
    return Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), Idioma, motivo);
}

void CambiarIdioma(const QString &codigo)
{
    QString c = codigo.trimmed().toLower();
    if (c != QStringLiteral("en") && c != QStringLiteral("es")) c = QStringLiteral("es");
    if (c == Idioma) return;
    Idioma = c;
    TraducirQt();
    QString motivo;
    const bool guardado = GuardarIdioma(&motivo);
    AplicarIdiomaATodos();
    if (!guardado) modAppState::AvisarAjustesNoGuardados(motivo);
}

void AplicarIdiomaATodos()
{
    // The list is taken once; a window closed meanwhile is skipped.
    const auto ventanas = Ventanas::Cargadas();
    for (const auto &v : ventanas) {
        if (!v) continue;
        if (auto *i = dynamic_cast<ConIdioma *>(v.data())) i->AplicarIdioma();
    }
}

} // namespace modIdioma
