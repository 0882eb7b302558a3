#include "app/skin_observer.h"

#include "ui/control_look.h"

SkinChangedObserver& GetSkinObserver() {
    static auto* observer =
        new SkinChangedObserver;  // never destroyed: receivers may outlive statics
    return *observer;
}

int ApplySkinChange(QWidget* root, const SkinChangedParam& param) {
    if (!root) return 0;
    if (param.bColor) {
        ui::SetBkImage(root, QString());
        ui::SetBkColor(root, param.bkcolor);
    } else {
        ui::SetBkColor(root, 0);
        ui::SetBkImage(root, param.bgimage);
    }
    return 1;
}
