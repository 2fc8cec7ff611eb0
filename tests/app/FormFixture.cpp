#include "tests/app/FormFixture.h"
#include "support/PathText.h"

TForm1& FormTest::Start(std::vector<std::string> params) {
    form.reset();
    ui = std::make_unique<FakeToolkit>();
    form = std::make_unique<TForm1>(*ui, PathText(ProgramPath()));
    params.insert(params.begin(), PathText(ProgramPath()));
    form->FormCreate(params);
    return *form;
}
