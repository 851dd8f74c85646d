#include "ui/application.h"

int main(int argc, char** argv) {
    return seewolf::ui::RunSeewolf(argc, argv);
}
