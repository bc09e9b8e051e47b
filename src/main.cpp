#include "ui/app.h"

int main(int argc, char** argv) {
    return ormel::ui::RunApplication(argc, argv);
}
