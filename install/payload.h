#pragma once

// The files the installer carries inside itself.
namespace install {}
