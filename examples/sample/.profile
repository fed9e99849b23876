sample file .profile
