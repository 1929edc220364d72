#include "kalvex.h"

HICON hLoadKalvexIcon(HINSTANCE hInst, BOOL bSmall)
{
    return (HICON)LoadImageA(hInst, KX_ICON, IMAGE_ICON, GetSystemMetrics(bSmall ? SM_CXSMICON : SM_CXICON),
                             GetSystemMetrics(bSmall ? SM_CYSMICON : SM_CYICON), 0);
}
