// FreeTypeModules in the browser: the module links only the modules an OpenType font (TrueType or CFF
// outlines) is read and drawn with. FreeType's default set (every format it reads, and more renderers)
// would add a sixth to the module a first visit downloads before the title.
#include "platform/gfx/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

// FreeType keeps these out of its public headers.
extern "C" {
FT_Memory FT_New_Memory();
extern const FT_Module_Class autofit_module_class, tt_driver_class, cff_driver_class, psaux_module_class,
    psnames_module_class, pshinter_module_class, sfnt_module_class, ft_smooth_renderer_class;
}

int gfx::OpenFreeType(FT_Library* library)
{
    const FT_Error error = FT_New_Library(FT_New_Memory(), library);
    if (error)
        return error;
    // In the order of FreeType's own list.
    for (const FT_Module_Class* module : {&autofit_module_class, &tt_driver_class, &cff_driver_class,
                                          &psaux_module_class, &psnames_module_class, &pshinter_module_class,
                                          &sfnt_module_class, &ft_smooth_renderer_class})
        FT_Add_Module(*library, module);
    FT_Set_Default_Properties(*library);
    return 0;
}
