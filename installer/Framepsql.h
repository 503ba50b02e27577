// Page 2: the database engine (server or client).
#pragma once
#include "FrameBase.h"

class TFFramepsql : public TFFrameBase {
public:
    explicit TFFramepsql(forms::TContenedor* padre);

    forms::TRadioGroup* RadioGroup1;
    forms::TRichEdit* RichEdit1;
    forms::TLabel* LbMotor;

    void RadioGroup1Click();
};
