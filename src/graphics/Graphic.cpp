#include "graphics/Graphic.h"

#include <cstdio>

#include "platform/ScopeGuard.h"

namespace vlz {

void TPersistent::Assign(const TPersistent* source) {
    if (source != nullptr) {
        source->AssignTo(*this);
        return;
    }
    AssignError(source);
}

void TPersistent::AssignTo(TPersistent& destination) const {
    destination.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const {
    std::string sourceName = source ? source->ClassName() : "nil";
    throw EConvertError(sourceName + " を " + ClassName() + " に代入できません");
}

void TGraphic::SetModified(bool value) {
    if (value) {
        Changed();
    } else {
        modified_ = false;
    }
}

void TGraphic::Changed() {
    modified_ = true;
    if (OnChange) {
        OnChange(*this);
    }
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::Mode::Read);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    // The picture is complete in memory before the file is touched, and replaces the old file only
    // once it is fully written, so a failure never leaves a damaged file behind.
    TMemoryStream image;
    SaveToStream(image);
    std::string temporary = fileName + ".tmp";
    TScopeFailure removing([&temporary] { std::remove(temporary.c_str()); });
    {
        TFileStream file(temporary, TFileStream::Mode::Create);
        file.WriteBuffer(image.Bytes().data(), image.Bytes().size());
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        throw EWriteError("Cannot write " + fileName);
    }
}

}  // namespace vlz
