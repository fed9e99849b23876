sample file main.cpp
