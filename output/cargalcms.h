#pragma once
// Little CMS 2, loaded at run time.
//
// CargarLCMS(carpeta) looks for "liblcms2.so.2" in that folder first, then
// (unless tests switched it off) for the system's copy by its soname. The
// first copy that loads, has every function the conversion needs and passes
// ProbarLCMS (creating a Lab profile succeeds) becomes the one the functions
// below call. Loaded copies are never unloaded.

#include <lcms2.h>

#include <QString>

namespace modLCMS {

// The functions the colour conversion calls, bound to the copy loaded last.
struct Funciones {
    decltype(&cmsOpenProfileFromFile) OpenProfileFromFile = nullptr;
    decltype(&cmsCreateTransform) CreateTransform = nullptr;
    decltype(&cmsDoTransform) DoTransform = nullptr;
    decltype(&cmsDeleteTransform) DeleteTransform = nullptr;
    decltype(&cmsCloseProfile) CloseProfile = nullptr;
    decltype(&cmsCreateLab4Profile) CreateLab4Profile = nullptr;
};
extern Funciones lcms;

// True when a usable copy was found (see above); false leaves lcms unusable.
bool CargarLCMS(const QString &carpeta);
// True when creating (and closing) a Lab profile with the bound copy works.
bool ProbarLCMS();

// The library's file name, and the name the messages give it.
inline constexpr const char *kBibliotecaLCMS = "liblcms2.so.2";

// Tests: false keeps the loader out of the system's library folders.
void FijarBusquedaSistema(bool buscar);

} // namespace modLCMS
