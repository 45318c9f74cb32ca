#include "app/idioma.h"

#include "app/ventanas.h"
#include "platform/settings.h"

namespace modIdioma {

QString Idioma;

QString T(const QString &es, const QString &en) { return Idioma == QStringLiteral("en") ? en : es; }

void CargarIdioma()
{
    const QString v = Ajustes::GetSetting(QStringLiteral("Config"), QStringLiteral("idioma"), QStringLiteral("es"));
    Idioma = v == QStringLiteral("en") ? QStringLiteral("en") : QStringLiteral("es");
}

void GuardarIdioma() { Ajustes::SaveSetting(QStringLiteral("Config"), QStringLiteral("idioma"), Idioma); }

void CambiarIdioma(const QString &codigo)
{
    QString c = codigo.trimmed().toLower();
    if (c != QStringLiteral("en") && c != QStringLiteral("es")) c = QStringLiteral("es");
    if (c == Idioma) return;
    Idioma = c;
    GuardarIdioma();
    AplicarIdiomaATodos();
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
