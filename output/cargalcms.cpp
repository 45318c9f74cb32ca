#include "output/cargalcms.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace modLCMS {

Funciones lcms;

namespace {

bool g_sistema = true;

template <typename F>
bool Enlazar(void *biblioteca, const char *nombre, F &funcion)
{
    funcion = reinterpret_cast<F>(dlsym(biblioteca, nombre));
    return funcion != nullptr;
}

// Binds every function of one loaded copy, all or nothing.
bool EnlazarTodo(void *b)
{
    Funciones f;
    if (!Enlazar(b, "cmsOpenProfileFromFile", f.OpenProfileFromFile) ||
        !Enlazar(b, "cmsCreateTransform", f.CreateTransform) || !Enlazar(b, "cmsDoTransform", f.DoTransform) ||
        !Enlazar(b, "cmsDeleteTransform", f.DeleteTransform) || !Enlazar(b, "cmsCloseProfile", f.CloseProfile) ||
        !Enlazar(b, "cmsCreateLab4Profile", f.CreateLab4Profile))
        return false;
    lcms = f;
    return true;
}

// Loads one copy (a path, or a soname for the system's search) and tests it.
bool Probar(const QByteArray &archivo)
{
    lcms = Funciones();
    // A working copy is never closed: it stays for the rest of the run.
    void *b = dlopen(archivo.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!b) return false;
    if (!EnlazarTodo(b)) {
        dlclose(b); // some other library under that name
        return false;
    }
    return ProbarLCMS();
}

} // namespace

void FijarBusquedaSistema(bool buscar) { g_sistema = buscar; }

bool CargarLCMS(const QString &carpeta)
{
    QString ruta = carpeta;
    if (!ruta.endsWith(u'/')) ruta += u'/';
    ruta += QLatin1String(kBibliotecaLCMS);
    if (QFileInfo(ruta).isFile() && Probar(QFile::encodeName(ruta))) return true;
    if (g_sistema && Probar(kBibliotecaLCMS)) return true;
    lcms = Funciones();
    return false;
}

bool ProbarLCMS()
{
    if (!lcms.CreateLab4Profile || !lcms.CloseProfile) return false;
    cmsHPROFILE lab = lcms.CreateLab4Profile(nullptr);
    if (!lab) return false;
    lcms.CloseProfile(lab);
    return true;
}

} // namespace modLCMS
