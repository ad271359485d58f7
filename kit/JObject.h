// JObject: the base of the scene's objects (the scene itself and its raster image).
#pragma once

class JObject
{
public:
    JObject() = default;
    virtual ~JObject() = default;
    JObject(const JObject&) = delete;
    JObject& operator=(const JObject&) = delete;
};
