#include "app/FormFixture.h"

TForm1& FormTest::Start(std::vector<std::string> params) {
    form.reset();
    ui = std::make_unique<FakeToolkit>();
    form = std::make_unique<TForm1>(*ui, ProgramPath().string());
    params.insert(params.begin(), ProgramPath().string());
    form->FormCreate(params);
    return *form;
}
